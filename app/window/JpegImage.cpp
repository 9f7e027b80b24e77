#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace {

constexpr unsigned long long MaxPixels = 64ull * 1024 * 1024;

// libjpeg's default error handler ends the process; this one jumps back to the decoder.
struct TJpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
    auto *manager = reinterpret_cast<TJpegErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void SilentMessage(j_common_ptr) {}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Runs the decode steps; any libjpeg error longjmps out of here, so only plain data lives
// in this frame (the QImage is owned by the caller).
bool Decode(jpeg_decompress_struct &info, TJpegErrorManager &errors, const QByteArray &bytes, QImage &image)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB; // grey and YCbCr alike come out as RGB
    // A forged header may claim a huge picture; refuse before allocating it.
    if (static_cast<unsigned long long>(info.image_width) * info.image_height > MaxPixels) {
        std::snprintf(errors.message, sizeof errors.message, "Picture too large");
        return false;
    }
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(errors.message, sizeof errors.message, "Picture too large");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty()) {
        SetError(error, QStringLiteral("Empty JPEG data"));
        return {};
    }
    jpeg_decompress_struct info{};
    TJpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = SilentMessage;

    QImage image;
    const bool decoded = Decode(info, errors, bytes, image);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        SetError(error, QStringLiteral("Cannot decode JPEG picture: %1").arg(QString::fromLocal8Bit(errors.message)));
        return {};
    }
    return image;
}

QImage LoadJpeg(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
        return {};
    }
    return DecodeJpeg(file.readAll(), error);
}

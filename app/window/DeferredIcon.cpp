#include "DeferredIcon.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>

namespace {

// Every call is passed on to the icon once made. Sizes are asked of the pixmap itself, as the
// icon's own engine sizes a pixmap to what it answers.
class TDeferredIconEngine : public QIconEngine {
public:
    struct TIcon {
        std::function<QIcon()> Make;
        QIcon Made;
    };

    explicit TDeferredIconEngine(std::shared_ptr<TIcon> icon) : icon_(std::move(icon)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, 1.0, mode, state).size();
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Icon().pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
    }
    void addPixmap(const QPixmap &pixmap, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().addPixmap(pixmap, mode, state);
    }
    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().addFile(fileName, size, mode, state);
    }
    QString key() const override { return QStringLiteral("TDeferredIconEngine"); }
    // A copy has an icon of its own, so adding pictures to it leaves this one as it is.
    QIconEngine *clone() const override { return new TDeferredIconEngine(std::make_shared<TIcon>(*icon_)); }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    // Asked by a control given the icon, which is not yet the time to read it: an icon not
    // made yet is taken to have pictures.
    bool isNull() override { return icon_->Make ? false : icon_->Made.isNull(); }

private:
    QIcon &Icon()
    {
        if (icon_->Make) {
            icon_->Made = icon_->Make();
            icon_->Make = nullptr;
        }
        return icon_->Made;
    }

    std::shared_ptr<TIcon> icon_;
};

} // namespace

QIcon DeferredIcon(std::function<QIcon()> make)
{
    return QIcon(new TDeferredIconEngine(
        std::make_shared<TDeferredIconEngine::TIcon>(TDeferredIconEngine::TIcon{std::move(make), {}})));
}

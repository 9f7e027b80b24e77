#pragma once
// A read-only HTML view for previews of notes: it loads nothing by itself. Pictures are only
// the ones handed to it (ServeImage); every other resource (a remote or local image, a style
// sheet) is refused, so viewing notes fetches nothing. A click on a link never navigates the
// view: an http(s) or mailto address opens in the desktop's browser, any other is ignored.
// Show the HTML through SafeNotesHtml first: the view runs no scripts, but it is the sanitizing
// that keeps hidden parts (a script's text, a style) out of sight.
#include <QHash>
#include <QImage>
#include <QTextBrowser>
#include <functional>

class TSafePreview : public QTextBrowser {
    Q_OBJECT

public:
    explicit TSafePreview(QWidget *parent = nullptr);

    // The picture served under the name (see EpisodeImageName), until ForgetImages.
    void ServeImage(const QString &name, const QImage &image);
    void ForgetImages();
    // Every resource the view asked for, served or not (for tests and the curious).
    const QList<QUrl> &RequestedResources() const { return requested_; }
    // Opens a clicked link's address; the desktop's browser unless replaced (tests).
    std::function<void(const QUrl &)> OpenLink;

    QVariant loadResource(int type, const QUrl &name) override;

private:
    void LinkClicked(const QUrl &url);

    QHash<QString, QImage> images_;
    QList<QUrl> requested_;
};

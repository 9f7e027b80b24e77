#include "SafePreview.h"

#include "Platform.h"

#include <QTextDocument>

TSafePreview::TSafePreview(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    OpenLink = [](const QUrl &url) { OpenWebPage(url.toString()); };
    connect(this, &QTextBrowser::anchorClicked, this, &TSafePreview::LinkClicked);
}

void TSafePreview::ServeImage(const QString &name, const QImage &image) { images_.insert(name, image); }

void TSafePreview::ForgetImages() { images_.clear(); }

QVariant TSafePreview::loadResource(int type, const QUrl &name)
{
    requested_ << name;
    if (type == QTextDocument::ImageResource) {
        const auto found = images_.constFind(name.toString());
        if (found != images_.constEnd())
            return *found;
    }
    return {};
}

void TSafePreview::LinkClicked(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if ((scheme == u"http" || scheme == u"https" || scheme == u"mailto") && OpenLink)
        OpenLink(url);
}

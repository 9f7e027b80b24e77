#include "WindowStyle.h"

#include "DeferredIcon.h"

#include <QApplication>
#include <QPointer>
#include <QStyleOption>

#include <memory>

QIcon TWindowStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                 const QWidget *widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton && standardIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // What the base style needs to make it later: the option's copy and the widget while it lives.
    std::shared_ptr<const QStyleOption> optionCopy = option ? std::make_shared<QStyleOption>(*option) : nullptr;
    const QPointer<QStyle> base = baseStyle();
    const QPointer<QWidget> owner = const_cast<QWidget *>(widget);
    return DeferredIcon([base, standardIcon, optionCopy, owner] {
        return base ? base->standardIcon(standardIcon, optionCopy.get(), owner.data()) : QIcon();
    });
}

void UseWindowStyle()
{
    static bool used = false;
    if (used)
        return;
    used = true;
    QApplication::setStyle(new TWindowStyle); // the application owns it
}

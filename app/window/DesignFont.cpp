#include "DesignFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// An installed family of this name ("Helvetica [Adobe]" when several foundries make one).
bool IsInstalled(const QStringList &families, const QString &name)
{
    for (const QString &family : families)
        if (family.compare(name, Qt::CaseInsensitive) == 0 ||
            family.startsWith(name + QStringLiteral(" ["), Qt::CaseInsensitive))
            return true;
    return false;
}

QString DesignFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const char *name : {"MS Sans Serif", "Liberation Sans", "Arial", "Nimbus Sans", "Helvetica"})
        if (IsInstalled(families, QString::fromLatin1(name)))
            return QString::fromLatin1(name);
    return QStringLiteral("Sans Serif");
}

} // namespace

QFont DesignFont()
{
    // The fonts installed are read once: a font installed while the editor runs shows after a
    // restart, as in other programs.
    static const QString family = DesignFamily();
    QFont font;
    font.setFamilies({family});
    font.setPointSize(8);
    return font;
}

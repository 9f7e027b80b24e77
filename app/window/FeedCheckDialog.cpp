#include "FeedCheckDialog.h"
#include "ui_FeedCheckDialog.h"

#include "FindingGroups.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QStyle>

namespace {

constexpr int RowRole = Qt::UserRole;          // an item finding's Items page row, -1 for the others
constexpr int ErrorRole = Qt::UserRole + 1;    // whether the line is an error
constexpr int FileLineRole = Qt::UserRole + 2; // the line of the file, 0 for none

QString CountText(int count, const char *singular, const char *plural)
{
    return QString::number(count) + u' ' + QLatin1String(count == 1 ? singular : plural);
}

} // namespace

TFeedCheckDialog::TFeedCheckDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FeedCheckDialog>())
{
    ui->setupUi(this);
    ui->FindingsList->header()->setStretchLastSection(false);
    ui->FindingsList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui->FindingsList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(ui->FindingsList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *line) {
        const int row = line->data(0, RowRole).toInt();
        if (row >= 0)
            emit ItemChosen(row);
    });
    connect(ui->SeverityFilter, &QComboBox::currentIndexChanged, this, [this] { ApplyFilter(); });
    connect(ui->CopyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(ShownText()); });
}

TFeedCheckDialog::~TFeedCheckDialog() = default;

void TFeedCheckDialog::ShowFindings(const std::string &feedPath, const QString &feedName,
                                    const std::vector<TFeedFinding> &findings)
{
    feedPath_ = feedPath;
    setWindowTitle(QStringLiteral("Check Feed - ") + feedName);
    ui->FindingsList->clear();
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const auto makeLine = [&](const QString &text, const TFeedFinding &finding) {
        const bool error = finding.Severity == TFindingSeverity::Error;
        auto *line = new QTreeWidgetItem({text, finding.Line > 0 ? QString::number(finding.Line) : QString()});
        line->setIcon(0, error ? errorIcon : warningIcon);
        line->setToolTip(0, text); // a long line runs past the list's edge
        line->setData(0, RowRole, finding.Place == TFindingPlace::Item ? finding.Row : -1);
        line->setData(0, ErrorRole, error);
        line->setData(0, FileLineRole, finding.Line);
        line->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        return line;
    };
    QList<QTreeWidgetItem *> lines;
    for (const TFindingGroup &group : GroupFindings(findings)) {
        const TFeedFinding &first = findings[group.Members.front()];
        QTreeWidgetItem *line = makeLine(QString::fromUtf8(GroupLine(findings, group)), first);
        if (group.Members.size() > 1)
            for (const size_t member : group.Members)
                line->addChild(makeLine(QString::fromUtf8(FindingLine(findings[member])), findings[member]));
        lines << line;
    }
    ui->FindingsList->addTopLevelItems(lines);
    const int errors = int(std::count_if(findings.begin(), findings.end(), [](const TFeedFinding &finding) {
        return finding.Severity == TFindingSeverity::Error;
    }));
    const int warnings = int(findings.size()) - errors;
    if (findings.empty())
        ui->SummaryLabel->setText(QStringLiteral("No problems found: feed readers should read this feed."));
    else
        ui->SummaryLabel->setText(CountText(errors, "error", "errors") + QStringLiteral(", ") +
                                  CountText(warnings, "warning", "warnings") +
                                  QStringLiteral(". Double-click an item's line to show the item."));
    ApplyFilter();
}

void TFeedCheckDialog::ApplyFilter()
{
    const int shown = ui->SeverityFilter->currentIndex(); // all, errors, warnings
    for (int i = 0; i < ui->FindingsList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *line = ui->FindingsList->topLevelItem(i);
        const bool error = line->data(0, ErrorRole).toBool();
        line->setHidden((shown == 1 && !error) || (shown == 2 && error));
    }
}

QString TFeedCheckDialog::ShownText() const
{
    const QString file = QFileInfo(QString::fromStdString(feedPath_)).fileName();
    QString text;
    for (int i = 0; i < ui->FindingsList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *line = ui->FindingsList->topLevelItem(i);
        if (line->isHidden())
            continue;
        const int fileLine = line->data(0, FileLineRole).toInt();
        text += file + (fileLine > 0 ? u':' + QString::number(fileLine) : QString()) + QStringLiteral(": ") +
                line->text(0) + u'\n';
    }
    return text;
}

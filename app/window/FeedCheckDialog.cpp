#include "FeedCheckDialog.h"
#include "ui_FeedCheckDialog.h"

#include <QStyle>

namespace {

constexpr int RowRole = Qt::UserRole; // an item finding's Items page row, -1 for the others

QString CountText(int count, const char *singular, const char *plural)
{
    return QString::number(count) + u' ' + QLatin1String(count == 1 ? singular : plural);
}

} // namespace

TFeedCheckDialog::TFeedCheckDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FeedCheckDialog>())
{
    ui->setupUi(this);
    connect(ui->FindingsList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *line) {
        const int row = line->data(RowRole).toInt();
        if (row >= 0)
            emit ItemChosen(row);
    });
}

TFeedCheckDialog::~TFeedCheckDialog() = default;

void TFeedCheckDialog::ShowFindings(const std::string &feedPath, const QString &feedName,
                                    const std::vector<TFeedFinding> &findings)
{
    feedPath_ = feedPath;
    setWindowTitle(QStringLiteral("Check Feed - ") + feedName);
    ui->FindingsList->clear();
    int errors = 0;
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const TFeedFinding &finding : findings) {
        const bool error = finding.Severity == TFindingSeverity::Error;
        errors += error;
        auto *line = new QListWidgetItem(error ? errorIcon : warningIcon,
                                         QString::fromUtf8(FindingLine(finding)));
        line->setToolTip(line->text()); // a long line runs past the list's edge
        line->setData(RowRole, finding.Place == TFindingPlace::Item ? finding.Row : -1);
        ui->FindingsList->addItem(line);
    }
    const int warnings = int(findings.size()) - errors;
    if (findings.empty())
        ui->SummaryLabel->setText(QStringLiteral("No problems found: feed readers should read this feed."));
    else
        ui->SummaryLabel->setText(CountText(errors, "error", "errors") + QStringLiteral(", ") +
                                  CountText(warnings, "warning", "warnings") +
                                  QStringLiteral(". Double-click an item's line to show the item."));
}

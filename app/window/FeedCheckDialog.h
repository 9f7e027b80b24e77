#pragma once
// The Check Feed findings: one line per finding, marked by its severity's icon and naming the
// line of the file; what is said in the same words of many items is one line that opens onto
// them. A filter shows errors or warnings alone, Copy puts the lines shown on the clipboard. The
// dialog stays open beside the window; a double click on an item's finding asks for that item.
#include "FeedCheck.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class FeedCheckDialog;
}

class TFeedCheckDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFeedCheckDialog(QWidget *parent = nullptr);
    ~TFeedCheckDialog() override;

    // Replaces the list with the findings for the feed stored at feedPath, shown as feedName.
    void ShowFindings(const std::string &feedPath, const QString &feedName,
                      const std::vector<TFeedFinding> &findings);
    // The feed the findings are about (bytes as the catalogue stores its path).
    const std::string &FeedPath() const { return feedPath_; }
    // The lines shown, as text: "feed.xml:14: item 3 ...", one group a line, as --check --summary.
    QString ShownText() const;

signals:
    // An item's finding was double-clicked: its row on the Items page.
    void ItemChosen(int row);

private:
    void ApplyFilter();

    std::unique_ptr<Ui::FeedCheckDialog> ui;
    std::string feedPath_;
};

#pragma once
// The Check Feed findings: one line per finding, marked by its severity's icon. The dialog
// stays open beside the window; a double click on an item's finding asks for that item.
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

signals:
    // An item's finding was double-clicked: its row on the Items page.
    void ItemChosen(int row);

private:
    std::unique_ptr<Ui::FeedCheckDialog> ui;
    std::string feedPath_;
};

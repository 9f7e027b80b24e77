#pragma once
// The item details dialog (ItemDetailsDialog.ui): guid and isPermaLink, author, categories
// (one a line), comments link and enclosure. It holds widget text only; the Items page
// converts between it and the feed's bytes.
#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TItemDetailsDialog;
}

struct TItemDetailsText {
    QString Guid;
    bool GuidIsPermaLink = true;
    QString Author;
    QStringList Categories;
    QString Comments;
    QString EnclosureUrl;
    QString EnclosureLength;
    QString EnclosureType;
};

class TItemDetailsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TItemDetailsDialog(QWidget *parent = nullptr);
    ~TItemDetailsDialog() override;

    void SetDetails(const TItemDetailsText &details);
    // The boxes' texts; categories are the memo's non-blank lines, trimmed.
    TItemDetailsText Details() const;
    // Fills length and type from a local file (what "From File..." does after its dialog).
    void FillEnclosureFromFile(const QString &fileName);

private:
    std::unique_ptr<Ui::TItemDetailsDialog> ui;
};

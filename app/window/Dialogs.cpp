#include "Dialogs.h"

#include "AppTitle.h"
#include "ItemDetailsDialog.h"
#include "PublishSettingsDialog.h"
#include "PodcastDialog.h"
#include "PreviewDialog.h"
#include "ShowNotesDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Messages name files, titles and elements ("<title>"): they are shown as written, never read
// as markup, which would hide such a name and all after it.
void ShowAsWritten(QMessageBox &box) { box.setTextFormat(Qt::PlainText); }

bool AskYesNo(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text,
              bool yesByDefault = true)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    ShowAsWritten(box);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no); // Escape and the close button answer No
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

void TQtDialogs::ShowMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppTitle, text, QMessageBox::Ok, parent_);
    ShowAsWritten(box);
    box.exec();
}

void TQtDialogs::ShowError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok, parent_);
    ShowAsWritten(box);
    box.exec();
}

void TQtDialogs::ShowErrorWithDetails(const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok, parent_);
    ShowAsWritten(box);
    box.setDetailedText(details);
    box.exec();
}

bool TQtDialogs::AskWarning(const QString &text)
{
    return AskYesNo(parent_, QMessageBox::Warning, QStringLiteral("Warning"), text);
}

bool TQtDialogs::AskCaution(const QString &text)
{
    return AskYesNo(parent_, QMessageBox::Warning, QStringLiteral("Warning"), text, false);
}

bool TQtDialogs::AskConfirmation(const QString &text)
{
    return AskYesNo(parent_, QMessageBox::Question, QStringLiteral("Confirm"), text);
}

QString TQtDialogs::OpenFileName(const QString &filter)
{
    return QFileDialog::getOpenFileName(parent_, QString(), QString(), filter);
}

QString TQtDialogs::SaveFileName(const QString &filter)
{
    QFileDialog dialog(parent_, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xml"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

TSaveChangesAnswer TQtDialogs::AskSaveChanges(const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    parent_);
    ShowAsWritten(box);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return TSaveChangesAnswer::Yes;
    return box.clickedButton() == no ? TSaveChangesAnswer::No : TSaveChangesAnswer::Cancel;
}

bool TQtDialogs::EditItemDetails(TItemDetailsText &details, const TItemDetailsHelp &help)
{
    TItemDetailsDialog dialog(parent_);
    dialog.SetDetails(details);
    dialog.SetHelp(help);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    details = dialog.Details();
    return true;
}

bool TQtDialogs::EditPublishSettings(TPublishSettings &settings, QString &password, TPublishSecret &secret)
{
    TPublishSettingsDialog dialog(parent_);
    dialog.SetSettings(settings, &secret);
    dialog.AskHostKey = [this](const THostKey &key) { return AskCaution(HostKeyQuestion(key)); };
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = dialog.Settings();
    password = dialog.Password();
    return true;
}

bool TQtDialogs::AskPassword(const QString &text, QString &password)
{
    bool accepted = false;
    const QString typed =
        QInputDialog::getText(parent_, AppTitle, text, QLineEdit::Password, QString(), &accepted);
    if (!accepted)
        return false;
    password = typed;
    return true;
}

bool TQtDialogs::EditPodcast(TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl,
                             const TPublicUrlOf &publicUrlOf)
{
    TPodcastDialog dialog(parent_);
    dialog.SetTags(tags, codec, feedUrl);
    dialog.SetPublicUrlOf(publicUrlOf);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    tags = dialog.Tags();
    return true;
}

bool TQtDialogs::EditShowNotes(TShowNotesText &notes, const std::function<void(const QString &)> &previewEpisode)
{
    TShowNotesDialog dialog(parent_);
    dialog.SetNotes(notes);
    dialog.SetEpisodePreview(previewEpisode);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    notes = dialog.Notes();
    return true;
}

void TQtDialogs::ShowPreview(const TPreviewPages &pages, int page)
{
    TPreviewDialog dialog(parent_);
    dialog.SetPages(pages);
    dialog.ShowPage(page);
    dialog.exec();
}

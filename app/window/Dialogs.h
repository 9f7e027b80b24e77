#pragma once
// Every message box, question and file-open dialog of the window goes through this interface,
// so tests can script the answers and see what the user would have been shown.
#include <QString>

#include <functional>

class QWidget;
class TFeedTextCodec;
struct TItemDetailsHelp;
struct TItemDetailsText;
struct TPublishSettings;
class TPublishSecret;
struct TShowTags;
struct TShowNotesText;
struct TPreviewPages;

// Where a local file will be served once published, "" when nowhere known.
using TPublicUrlOf = std::function<QString(const QString &localFile)>;

// The answers to "Save changes to ...?".
enum class TSaveChangesAnswer { Yes, No, Cancel };

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // Plain message box captioned with the application title, button OK.
    virtual void ShowMessage(const QString &text) = 0;
    // Error box (error icon) captioned with the application title: the general error handler.
    virtual void ShowError(const QString &text) = 0;
    // Error box whose "Show Details..." button shows details (a long text kept out of the box).
    virtual void ShowErrorWithDetails(const QString &text, const QString &details)
    {
        (void)details;
        ShowError(text);
    }
    // Warning question, caption "Warning", Yes/No with Yes the default. True on Yes.
    virtual bool AskWarning(const QString &text) = 0;
    // Warning question where Yes is the risky answer: caption "Warning", Yes/No with No the
    // default, so a bare Return or Escape answers No. Unless overridden, asked as AskWarning.
    virtual bool AskCaution(const QString &text) { return AskWarning(text); }
    // Confirmation question, caption "Confirm", Yes/No with Yes the default; Escape answers No.
    virtual bool AskConfirmation(const QString &text) = 0;
    // File-open dialog with the given filter; the chosen file's full path, or "" on cancel.
    virtual QString OpenFileName(const QString &filter) = 0;
    // File-save dialog with the given filter (".xml" added to a name without extension); it
    // asks before an existing file is chosen. The full path, or "" on cancel.
    virtual QString SaveFileName(const QString &filter) = 0;
    // Question, caption "Confirm", buttons Yes, No and Cancel with Yes the default; Escape and
    // closing the box answer Cancel.
    virtual TSaveChangesAnswer AskSaveChanges(const QString &text) = 0;
    // The item details dialog filled with details; true and the edited details on OK, which
    // closes the dialog only when help's check passes.
    virtual bool EditItemDetails(TItemDetailsText &details, const TItemDetailsHelp &help) = 0;
    // The publish settings dialog filled with settings; true and the edited settings on OK, with
    // the password typed ("" when the box was left empty). secret: the session's passwords, for
    // saying whether one is stored and forgetting it.
    virtual bool EditPublishSettings(TPublishSettings &settings, QString &password, TPublishSecret &secret)
    {
        (void)settings;
        (void)password;
        (void)secret;
        return false;
    }
    // A password box with the text as its question; true and the password on OK.
    virtual bool AskPassword(const QString &text, QString &password)
    {
        (void)text;
        (void)password;
        return false;
    }
    // The podcast dialog showing the show's tags through the feed's codec; true and the edited
    // tags on OK. feedUrl: where the feed says it is published; publicUrlOf: where a local
    // picture will be served once published ("" when nowhere known). Unless overridden, cancelled.
    virtual bool EditPodcast(TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl,
                             const TPublicUrlOf &publicUrlOf)
    {
        (void)tags, (void)codec, (void)feedUrl, (void)publicUrlOf;
        return false;
    }
    // The show notes dialog filled with the notes; true and the edited notes on OK.
    // previewEpisode: what its "Preview Episode..." button shows, given the notes as typed.
    // Unless overridden, cancelled.
    virtual bool EditShowNotes(TShowNotesText &notes, const std::function<void(const QString &)> &previewEpisode)
    {
        (void)notes, (void)previewEpisode;
        return false;
    }
    // The preview of an episode and its show, until closed; page 0 the episode, 1 the show.
    virtual void ShowPreview(const TPreviewPages &pages, int page) { (void)pages, (void)page; }
};

// The real boxes and dialog, parented to the main window.
class TQtDialogs : public TDialogs {
public:
    explicit TQtDialogs(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }

    void ShowMessage(const QString &text) override;
    void ShowError(const QString &text) override;
    void ShowErrorWithDetails(const QString &text, const QString &details) override;
    bool AskWarning(const QString &text) override;
    bool AskCaution(const QString &text) override;
    bool AskConfirmation(const QString &text) override;
    QString OpenFileName(const QString &filter) override;
    QString SaveFileName(const QString &filter) override;
    TSaveChangesAnswer AskSaveChanges(const QString &text) override;
    bool EditItemDetails(TItemDetailsText &details, const TItemDetailsHelp &help) override;
    bool EditPublishSettings(TPublishSettings &settings, QString &password, TPublishSecret &secret) override;
    bool AskPassword(const QString &text, QString &password) override;
    bool EditPodcast(TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl,
                     const TPublicUrlOf &publicUrlOf) override;
    bool EditShowNotes(TShowNotesText &notes, const std::function<void(const QString &)> &previewEpisode) override;
    void ShowPreview(const TPreviewPages &pages, int page) override;

private:
    QWidget *parent_;
};

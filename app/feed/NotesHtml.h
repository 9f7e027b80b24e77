#pragma once
// Show notes are HTML. What the editor does with that HTML without a widget: the safe form a
// preview renders (no scripts, styles, frames, event attributes or script URLs), a plain-text
// summary for the description, the markup the notes editor's buttons put around a selection,
// and a description's text shown as HTML.
#include <QString>

class QTextDocument;

// The HTML with script, style, iframe, object, embed, frame, base, meta and link elements
// left out (with what a script or style holds), every on... attribute and every href, src or
// other address that runs code or embeds data (javascript:, vbscript:, data:) dropped, and
// comments left out. What stays is written again from its parts, so a tag cannot smuggle more.
QString SafeNotesHtml(const QString &html);

// The notes as plain text: tags dropped, blocks (paragraphs, list items, line breaks) parted
// by a blank, references read, blanks collapsed; cut after a word at most maxLength long,
// with "..." when cut.
QString NotesSummary(const QString &html, int maxLength = 400);

// Whether the text holds an HTML tag (a "<" followed by a letter, "/" or "!").
bool HoldsMarkup(const QString &text);

// A description as a reader shows it: markup as HTML; plain text escaped, its line breaks kept.
QString DescriptionAsHtml(const QString &text);

// What the notes editor's buttons make of the selected text. Inline: "<strong>sel</strong>";
// a link: "<a href=\"url\">sel</a>" (the address escaped; the address is the text when nothing
// is selected); a list: one "<li>" per non-empty line in "<ul>" or "<ol>"; paragraphs: one
// "<p>" per non-empty line.
QString InlineMarkup(const QString &selected, const QString &tag);
QString LinkMarkup(const QString &selected, const QString &url);
QString ListMarkup(const QString &selected, bool numbered);
QString ParagraphMarkup(const QString &selected);

// Whether the HTML holds only the markup the editor's Text view edits: p, br, strong, b, em, i,
// a (with href alone), ul, ol, li, and no comments. Other notes are edited as HTML only.
bool OnlyOfferedMarkup(const QString &html);

// The notes a rich text document holds, written with that markup: a paragraph per block, list
// blocks as "<li>" in "<ul>" or "<ol>", bold, italic and links per piece of text, a line
// separator as "<br>"; one line per paragraph, list and list item.
QString OfferedHtml(const QTextDocument &document);

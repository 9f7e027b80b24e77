#include "PodcastDialog.h"
#include "ui_PodcastDialog.h"

#include "CoverArt.h"
#include "ItunesCategories.h"
#include "TypedUrl.h"

#include <QFileDialog>

#include <array>

namespace {

// The boxes that hold one tag's text each.
template <class TBox> struct TBoxField {
    TBox *Ui::TPodcastDialog::*Box;
    std::string TShowTags::*Member;
};

constexpr TBoxField<QLineEdit> EditFields[] = {
    {&Ui::TPodcastDialog::AuthorEdit, &TShowTags::Author},
    {&Ui::TPodcastDialog::OwnerNameEdit, &TShowTags::OwnerName},
    {&Ui::TPodcastDialog::OwnerEmailEdit, &TShowTags::OwnerEmail},
    {&Ui::TPodcastDialog::LanguageEdit, &TShowTags::Language},
    {&Ui::TPodcastDialog::CopyrightEdit, &TShowTags::Copyright},
    {&Ui::TPodcastDialog::NewFeedUrlEdit, &TShowTags::NewFeedUrl},
    {&Ui::TPodcastDialog::ImageHrefEdit, &TShowTags::ImageHref},
    {&Ui::TPodcastDialog::PodcastGuidEdit, &TShowTags::PodcastGuid},
    {&Ui::TPodcastDialog::LockedOwnerEdit, &TShowTags::LockedOwner},
    {&Ui::TPodcastDialog::FundingUrlEdit, &TShowTags::FundingUrl},
    {&Ui::TPodcastDialog::FundingTextEdit, &TShowTags::FundingText},
};

// Choices of a fixed set of values; a value outside it shows as it is, and stays so.
constexpr TBoxField<QComboBox> ComboFields[] = {
    {&Ui::TPodcastDialog::ExplicitCombo, &TShowTags::Explicit},
    {&Ui::TPodcastDialog::TypeCombo, &TShowTags::Type},
    {&Ui::TPodcastDialog::LockedCombo, &TShowTags::Locked},
};

constexpr TBoxField<QCheckBox> CheckFields[] = {
    {&Ui::TPodcastDialog::BlockCheck, &TShowTags::Block},
    {&Ui::TPodcastDialog::CompleteCheck, &TShowTags::Complete},
};

void ShowChoice(QComboBox *combo, const QString &value)
{
    if (combo->findText(value) < 0)
        combo->addItem(value);
    combo->setCurrentIndex(combo->findText(value));
}

} // namespace

TPodcastDialog::TPodcastDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TPodcastDialog>())
{
    ui->setupUi(this);
    for (int row = 0; row < 3; ++row) {
        CategoryCombo(row)->addItem(QString());
        for (const TItunesCategory &category : ItunesCategories())
            CategoryCombo(row)->addItem(QString::fromUtf8(category.Name.data(), qsizetype(category.Name.size())));
        connect(CategoryCombo(row), &QComboBox::currentTextChanged, this, [this, row] { FillSubcategories(row); });
        FillSubcategories(row);
    }
    connect(ui->ImageFileButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Cover Art"), QString(),
                                                          QStringLiteral("Pictures (*.jpg *.jpeg *.png);;All (*)"));
        if (!file.isEmpty())
            FillImageFromFile(file);
    });
    connect(ui->MakeGuidButton, &QPushButton::clicked, this, &TPodcastDialog::MakeGuid);
    // The guid is made from the feed URL: without one there is nothing to make it from.
    connect(ui->FeedUrlEdit, &QLineEdit::textChanged, this,
            [this](const QString &url) { ui->MakeGuidButton->setEnabled(!url.trimmed().isEmpty()); });
    ui->MakeGuidButton->setEnabled(false);
}

TPodcastDialog::~TPodcastDialog() = default;

QComboBox *TPodcastDialog::CategoryCombo(int row) const
{
    return std::array{ui->CategoryCombo1, ui->CategoryCombo2, ui->CategoryCombo3}[row];
}

QComboBox *TPodcastDialog::SubcategoryCombo(int row) const
{
    return std::array{ui->SubcategoryCombo1, ui->SubcategoryCombo2, ui->SubcategoryCombo3}[row];
}

void TPodcastDialog::FillSubcategories(int row)
{
    QComboBox *combo = SubcategoryCombo(row);
    combo->clear();
    combo->addItem(QString());
    const TItunesCategory *category = FindItunesCategory(CategoryCombo(row)->currentText().toStdString());
    if (category)
        for (const std::string_view name : category->Subcategories)
            combo->addItem(QString::fromUtf8(name.data(), qsizetype(name.size())));
    combo->setEnabled(combo->count() > 1);
}

void TPodcastDialog::SetTags(const TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl)
{
    shown_ = tags;
    codec_ = codec;
    for (const auto &field : EditFields)
        (ui.get()->*field.Box)->setText(codec.ToText(tags.*field.Member));
    for (const auto &field : ComboFields)
        ShowChoice(ui.get()->*field.Box, codec.ToText(tags.*field.Member));
    for (const auto &field : CheckFields)
        (ui.get()->*field.Box)->setChecked(!(tags.*field.Member).empty());
    for (int row = 0; row < 3; ++row) {
        const TCategoryPick pick = size_t(row) < tags.Categories.size() ? tags.Categories[size_t(row)] : TCategoryPick{};
        ShowChoice(CategoryCombo(row), codec.ToText(pick.Category));
        ShowChoice(SubcategoryCombo(row), codec.ToText(pick.Subcategory));
    }
    ui->RssImageCheck->setChecked(tags.RssImageInStep);
    ui->FeedUrlEdit->setText(feedUrl);
}

TShowTags TPodcastDialog::Tags() const
{
    TShowTags tags = shown_;
    for (const auto &field : EditFields) {
        QString text = (ui.get()->*field.Box)->text().trimmed();
        // A URL typed anew is written as a URI.
        const bool url = field.Member == &TShowTags::NewFeedUrl || field.Member == &TShowTags::ImageHref ||
                         field.Member == &TShowTags::FundingUrl;
        if (url && text != codec_.ToText(shown_.*field.Member))
            text = EncodedUrl(text);
        tags.*field.Member = codec_.ToBytes(text, shown_.*field.Member);
    }
    for (const auto &field : ComboFields)
        tags.*field.Member = codec_.ToBytes((ui.get()->*field.Box)->currentText(), shown_.*field.Member);
    for (const auto &field : CheckFields)
        tags.*field.Member = (ui.get()->*field.Box)->isChecked() ? "Yes" : "";
    tags.Categories.clear();
    for (int row = 0; row < 3; ++row) {
        const QString category = CategoryCombo(row)->currentText();
        if (!category.isEmpty())
            tags.Categories.push_back({codec_.ToBytes(category), codec_.ToBytes(SubcategoryCombo(row)->currentText())});
    }
    tags.RssImageInStep = ui->RssImageCheck->isChecked();
    return tags;
}

void TPodcastDialog::FillImageFromFile(const QString &fileName)
{
    try {
        QByteArray format;
        const QImage image = ReadCoverPicture(fileName, format);
        ui->ImagePreview->setPixmap(QPixmap::fromImage(image.scaled(ui->ImagePreview->minimumSize(),
                                                                    Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        const QStringList problems = CoverArtProblems(image, format);
        ui->ImageInfoLabel->setText(CoverArtSummary(image, format) + QStringLiteral(": ") +
                                    (problems.isEmpty() ? QStringLiteral("the directories take it.")
                                                        : problems.join(u' ')));
        const QString url = publicUrlOf_ ? publicUrlOf_(fileName) : QString();
        if (!url.isEmpty())
            ui->ImageHrefEdit->setText(url);
    } catch (const std::exception &error) {
        ui->ImagePreview->clear();
        ui->ImageInfoLabel->setText(QString::fromUtf8(error.what()));
    }
}

void TPodcastDialog::MakeGuid()
{
    const QString url = ui->FeedUrlEdit->text().trimmed();
    if (!url.isEmpty())
        ui->PodcastGuidEdit->setText(QString::fromStdString(PodcastGuidOf(url.toStdString())));
}

#include "gui/settings/TfrmOptions.h"

#include "core/account/AccountDirectory.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/Pictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <filesystem>

namespace velmora {
namespace {

using S = AccountSettings;

// The check boxes and the settings they hold (`rbFull` is the radio pair, set on its own).
struct CheckSetting
{
    const char* control;
    bool S::*member;
};
constexpr std::array<CheckSetting, 16> kChecks = {{
    {"cbHeaders", &S::cbHeaders},
    {"cbGridLines", &S::cbGridLines},
    {"cbFoldIcons", &S::cbFoldIcons},
    {"cbRecIcons", &S::cbRecIcons},
    {"cbLoginStars", &S::cbLoginStars},
    {"cbIDStars", &S::cbIDStars},
    {"cbPassStars", &S::cbPassStars},
    {"cbTray", &S::cbTray},
    {"cbSaveMod", &S::cbSaveMod},
    {"cbSaveBeforeTray", &S::cbSaveBeforeTray},
    {"cbExpHeaders", &S::cbExpHeaders},
    {"cbHat", &S::cbHat},
    {"cbSkipEmpty", &S::cbSkipEmpty},
    {"cbFP", &S::cbFP},
    {"cbStrict", &S::cbStrict},
    {"cbRegistr", &S::cbRegistr},
}};

QWidget* NewPage(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* page = new QWidget(pages);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    pages->addTab(page, caption);
    return page;
}

QLabel* BoldLabel(QWidget* page, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, page);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    page->layout()->addWidget(label);
    return label;
}

QToolButton* FlatButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

void EndPage(QWidget* page)
{
    static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
}

} // namespace

TfrmOptions::TfrmOptions(TfrmMain& main) : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_main(main)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Настройки аккаунта"));
    setWindowIcon(ApplicationIcon());
    setModal(true);
    SubstituteClassicFonts();

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    QWidget* look = NewPage(m_pages, "TabSheet1", QStringLiteral("Внешний вид "));
    AddCheck(look, "cbHeaders", QStringLiteral("Заголовки колонок в списках"));
    AddCheck(look, "cbGridLines", QStringLiteral("Линии в списках"));
    AddCheck(look, "cbFoldIcons", QStringLiteral("Иконки в списке папок"));
    AddCheck(look, "cbRecIcons", QStringLiteral("Иконки в списке записей"));
    m_panList = new QLabel(QStringLiteral("Запись в списке"), look);
    m_panList->setObjectName(QStringLiteral("panList"));
    m_panList->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panList->setAlignment(Qt::AlignCenter);
    m_panList->setAutoFillBackground(true);
    m_panList->setMinimumHeight(44);
    m_panList->setFont(QFont(QStringLiteral("MS Sans Serif"), S{}.FontSize));
    m_butColor = FlatButton(look, "butColor", QStringLiteral("Изменить цвет фона"));
    m_SpeedButton1 = FlatButton(look, "SpeedButton1", QStringLiteral("Изменить шрифт текста"));
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addWidget(m_butColor);
    panelButtons->addWidget(m_SpeedButton1);
    panelButtons->addStretch(1);
    look->layout()->addItem(new QSpacerItem(0, 4));
    look->layout()->addWidget(m_panList);
    static_cast<QVBoxLayout*>(look->layout())->addLayout(panelButtons);
    EndPage(look);

    QWidget* records = NewPage(m_pages, "TabSheet2", QStringLiteral("Список записей"));
    BoldLabel(records, "Label2", QStringLiteral("Вид списка записей:"));
    m_rbBrief = new QRadioButton(QStringLiteral("краткий (только название записи)"), records);
    m_rbBrief->setObjectName(QStringLiteral("rbBrief"));
    m_rbFull = new QRadioButton(QStringLiteral("подробный"), records);
    m_rbFull->setObjectName(QStringLiteral("rbFull"));
    m_rbFull->setChecked(true);
    records->layout()->addWidget(m_rbBrief);
    records->layout()->addWidget(m_rbFull);
    auto* stars = new QWidget(records);
    stars->setLayout(new QVBoxLayout);
    stars->layout()->setContentsMargins(22, 0, 0, 0);
    stars->layout()->setSpacing(8);
    m_cbLoginStars = AddCheck(stars, "cbLoginStars", QStringLiteral("Звездочки вместо Логина"));
    m_cbIDStars = AddCheck(stars, "cbIDStars", QStringLiteral("Звездочки вместо ID"));
    m_cbPassStars = AddCheck(stars, "cbPassStars", QStringLiteral("Звездочки вместо Пароля"));
    records->layout()->addWidget(stars);
    EndPage(records);

    QWidget* cipher = NewPage(m_pages, "TabSheet3", QStringLiteral("Шифрование "));
    BoldLabel(cipher, "Label1", QStringLiteral("Используется шифрование Rijndael, 256 бит"));
    AddCheck(cipher, "cbSaveBeforeTray", QStringLiteral("Сохранить изменения перед сворачиванием в трей"));
    AddCheck(cipher, "cbTray", QStringLiteral("Спрашивать пароль при восстановлении из трея"));
    AddCheck(cipher, "cbSaveMod", QStringLiteral("Сохранить изменения сразу после внесения"));
    EndPage(cipher);

    QWidget* exporting = NewPage(m_pages, "TabSheet4", QStringLiteral("Экспорт аккаунта"));
    AddCheck(exporting, "cbHat", QStringLiteral("Заголовок (название аккаунта и дата экспорта)"));
    AddCheck(exporting, "cbExpHeaders", QStringLiteral("Вставлять название поля"));
    AddCheck(exporting, "cbSkipEmpty", QStringLiteral("Пропускать незаполненные поля"));
    EndPage(exporting);

    QWidget* search = NewPage(m_pages, "TabSheet5", QStringLiteral("Поиск"));
    AddCheck(search, "cbFP", QStringLiteral("Отображать панель быстрого поиска"));
    AddCheck(search, "cbStrict", QStringLiteral("Точное совпадение"));
    AddCheck(search, "cbRegistr", QStringLiteral("Учитывать регистр"));
    EndPage(search);

    m_butOk = FormButton(this, "butOk", QStringLiteral("ОК"));
    m_butOk->setDefault(true);
    m_butCancel = FormButton(this, "butCancel", QStringLiteral("Отмена"));
    m_butHelp = FormButton(this, "butHelp", QStringLiteral("Справка"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_butOk);
    buttons->addWidget(m_butCancel);
    buttons->addWidget(m_butHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
    // Not resizable, and as large as the translated texts need (every tab caption shown).
    m_pages->setUsesScrollButtons(false);
    m_pages->setMinimumSize(411, 240);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_opened = Settings();
    ShowPanel();

    connect(m_butOk, &QPushButton::clicked, this, &TfrmOptions::butOkClick);
    connect(m_butCancel, &QPushButton::clicked, this, &TfrmOptions::butCancelClick);
    connect(m_butHelp, &QPushButton::clicked, this, &TfrmOptions::butHelpClick);
    connect(m_butColor, &QToolButton::clicked, this, &TfrmOptions::butColorClick);
    connect(m_SpeedButton1, &QToolButton::clicked, this, &TfrmOptions::SpeedButton1Click);
    connect(m_rbBrief, &QRadioButton::clicked, this, &TfrmOptions::rbBriefClick);
    connect(m_rbFull, &QRadioButton::clicked, this, &TfrmOptions::rbFullClick);
}

QCheckBox* TfrmOptions::AddCheck(QWidget* page, const char* name, const QString& caption)
{
    auto* check = new QCheckBox(caption, page);
    check->setObjectName(QLatin1String(name));
    check->setChecked(S{}.*(std::find_if(kChecks.begin(), kChecks.end(), [name](const CheckSetting& setting) {
                                return std::string_view(setting.control) == name;
                            })->member));
    page->layout()->addWidget(check);
    return check;
}

AccountSettings TfrmOptions::Settings() const
{
    AccountSettings settings;
    for (const CheckSetting& check : kChecks) {
        settings.*check.member = findChild<QCheckBox*>(QLatin1String(check.control))->isChecked();
    }
    settings.rbFull = m_rbFull->isChecked();
    const QFont font = m_panList->font();
    settings.BgColor = m_panelColor;
    settings.FontSize = font.pointSize();
    settings.FontName = ToCodePage(font.family()).bytes;
    settings.FontBold = font.bold();
    settings.FontItalic = font.italic();
    settings.FontUnderline = font.underline();
    settings.FontColor = m_panelFontColor;
    m_main.ReadListWidths(settings);
    return settings;
}

void TfrmOptions::SetSettings(const AccountSettings& settings)
{
    for (const CheckSetting& check : kChecks) {
        findChild<QCheckBox*>(QLatin1String(check.control))->setChecked(settings.*check.member);
    }
    (settings.rbFull ? m_rbFull : m_rbBrief)->setChecked(true);
    EnableStarOptions(settings.rbFull);
    QFont font = m_panList->font();
    if (!settings.FontName.empty()) {
        font.setFamily(FromCodePage(settings.FontName));
    }
    if (settings.FontSize >= kMinFontPoints && settings.FontSize <= kMaxFontPoints) {
        font.setPointSize(settings.FontSize);
    }
    font.setBold(settings.FontBold);
    font.setItalic(settings.FontItalic);
    font.setUnderline(settings.FontUnderline);
    m_panList->setFont(font);
    m_panelColor = settings.BgColor;
    m_panelFontColor = settings.FontColor;
    ShowPanel();
    m_main.SetListWidths(settings);
}

ListLook TfrmOptions::Look() const
{
    const QPalette desktop = QApplication::palette();
    return ListLook{findChild<QCheckBox*>(QStringLiteral("cbHeaders"))->isChecked(),
                    findChild<QCheckBox*>(QStringLiteral("cbGridLines"))->isChecked(),
                    findChild<QCheckBox*>(QStringLiteral("cbFoldIcons"))->isChecked(),
                    findChild<QCheckBox*>(QStringLiteral("cbRecIcons"))->isChecked(),
                    m_rbBrief->isChecked(),
                    findChild<QCheckBox*>(QStringLiteral("cbFP"))->isChecked(),
                    ColorFromNumber(m_panelColor, desktop, QPalette::Base),
                    ColorFromNumber(m_panelFontColor, desktop, QPalette::Text),
                    m_panList->font()};
}

void TfrmOptions::ShowPanel()
{
    const ListLook look = Look();
    QPalette palette = m_panList->palette();
    palette.setColor(QPalette::Window, look.background);
    palette.setColor(QPalette::WindowText, look.text);
    m_panList->setPalette(palette);
}

bool TfrmOptions::LoadSettings()
{
    const std::filesystem::path file = m_main.AccountFile(kSettingsExtension);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return false;
    }
    AccountSettings settings = Settings();
    const bool complete = ::velmora::LoadSettings(file, m_main.Account().Password, settings);
    SetSettings(settings);
    return complete;
}

void TfrmOptions::SaveSettings()
{
    try {
        m_main.SaveSettingsFile();
    } catch (const FileError& failure) {
        // The account stays marked as modified below, so the next save tries again.
        m_main.Services().messages.ShowMessage(MessageKind::Error, QString::fromUtf8(failure.what()));
    }
}

void TfrmOptions::ApplySettings()
{
    try {
        m_main.ApplySettings();
    } catch (const std::exception&) {
        // The lists keep what they showed; nothing to tell the user.
    }
}

void TfrmOptions::LoadAndApplySettings()
{
    if (LoadSettings()) {
        ApplySettings();
        return;
    }
    std::error_code error;
    if (std::filesystem::exists(m_main.AccountFile(kSettingsExtension), error)) {
        // Silently using the defaults would hide that the file no longer matches the account.
        m_main.ShowMessageBox(m_main.Message("const_settings_unreadable"), MessageKind::Warning);
    }
}

void TfrmOptions::EnableStarOptions(bool enabled)
{
    for (QCheckBox* check : {m_cbLoginStars, m_cbIDStars, m_cbPassStars}) {
        check->setEnabled(enabled);
    }
}

void TfrmOptions::ResetToDefaults()
{
    SetSettings(AccountSettings{});
    m_opened = Settings();
    ApplySettings();
}

void TfrmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_opened = Settings();
    }
}

void TfrmOptions::butOkClick()
{
    ApplySettings();
    SaveSettings();
    // The folder refill selects its row again, which empties the record selection: keep it.
    const int record = m_main.SelectedRow(m_main.RecordList());
    m_main.FillFolderList(true);
    m_main.FillRecordList(true);
    if (record >= 0 && record < m_main.RecordList()->model()->rowCount()) {
        m_main.FocusRow(m_main.RecordList(), record);
        m_main.SelectRow(m_main.RecordList(), record);
    }
    m_main.Account().Modified = true;
    m_main.AccountChanged();
    m_main.Splitter1Moved();
    accept();
}

void TfrmOptions::butCancelClick()
{
    std::error_code error;
    if (std::filesystem::exists(m_main.AccountFile(kSettingsExtension), error)) {
        LoadSettings();
    } else {
        // Nothing to reload: the dialog's changes are dropped all the same.
        SetSettings(m_opened);
    }
    QDialog::reject();
}

void TfrmOptions::reject()
{
    butCancelClick();
}

void TfrmOptions::butColorClick()
{
    const QColor shown = Look().background;
    const std::optional<QColor> chosen = m_main.Services().fontColorDialogs.ChooseColor(shown);
    if (chosen && *chosen != shown) {
        m_panelColor = NumberFromColor(*chosen);
        ShowPanel();
    }
}

void TfrmOptions::SpeedButton1Click()
{
    const ListLook look = Look();
    const std::optional<FontChoice> chosen =
        m_main.Services().fontColorDialogs.ChooseFont(FontChoice{look.font, look.text});
    if (!chosen) {
        return;
    }
    const CodePageBytes name = ToCodePage(chosen->font.family());
    if (name.refused) {
        m_main.ReportRefusedCharacter(*name.refused);
        return;
    }
    QFont font = chosen->font;
    if (font.pointSize() < kMinFontPoints || font.pointSize() > kMaxFontPoints) {
        font.setPointSize(std::clamp(QFontInfo(font).pointSize(), kMinFontPoints, kMaxFontPoints));
    }
    m_panList->setFont(font);
    if (chosen->color != look.text) {
        m_panelFontColor = NumberFromColor(chosen->color);
    }
    ShowPanel();
}

void TfrmOptions::rbBriefClick()
{
    EnableStarOptions(false);
}

void TfrmOptions::rbFullClick()
{
    EnableStarOptions(true);
}

void TfrmOptions::butHelpClick()
{
    m_main.ShowHelp();
}

} // namespace velmora

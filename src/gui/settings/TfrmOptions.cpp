#include "gui/settings/TfrmOptions.h"

#include "gui/browser/AccountLists.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/Pictures.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

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

TfrmOptions::TfrmOptions(AccountSession& session, AccountLists& lists)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_lists(lists)
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

    Edit(AccountSettings{});

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
    page->layout()->addWidget(check);
    return check;
}

void TfrmOptions::Edit(const AccountSettings& settings)
{
    m_edited = settings;
    for (const CheckSetting& check : kChecks) {
        findChild<QCheckBox*>(QLatin1String(check.control))->setChecked(settings.*check.member);
    }
    (settings.rbFull ? m_rbFull : m_rbBrief)->setChecked(true);
    EnableStarOptions(settings.rbFull);
    ShowPanel();
}

AccountSettings TfrmOptions::Edited() const
{
    AccountSettings settings = m_edited;
    for (const CheckSetting& check : kChecks) {
        settings.*check.member = findChild<QCheckBox*>(QLatin1String(check.control))->isChecked();
    }
    settings.rbFull = m_rbFull->isChecked();
    return settings;
}

void TfrmOptions::ShowPanel()
{
    const ListLook look = LookOf(m_edited);
    QPalette palette = m_panList->palette();
    palette.setColor(QPalette::Window, look.background);
    palette.setColor(QPalette::WindowText, look.text);
    m_panList->setPalette(palette);
    m_panList->setFont(look.font);
}

void TfrmOptions::SaveSettings()
{
    try {
        m_session.SaveSettingsFile();
    } catch (const FileError& failure) {
        // The account stays marked as modified below, so the next save tries again.
        m_session.ReportFailure(failure);
    }
}

void TfrmOptions::EnableStarOptions(bool enabled)
{
    for (QCheckBox* check : {m_cbLoginStars, m_cbIDStars, m_cbPassStars}) {
        check->setEnabled(enabled);
    }
}

void TfrmOptions::butOkClick()
{
    m_session.SetSettings(Edited());
    try {
        m_session.ApplySettings();
    } catch (const std::exception&) {
        // The lists keep what they showed; nothing to tell the user.
    }
    SaveSettings();
    // The folder refill selects its row again, which empties the record selection: keep it.
    const int record = m_lists.SelectedRow(m_lists.RecordList());
    m_lists.FillFolderList(true);
    m_lists.FillRecordList(true);
    if (record >= 0 && record < m_lists.RecordList()->model()->rowCount()) {
        m_lists.FocusRow(m_lists.RecordList(), record);
        m_lists.SelectRow(m_lists.RecordList(), record);
    }
    m_lists.SplitterMoved();
    accept();
}

void TfrmOptions::butCancelClick()
{
    reject();
}

void TfrmOptions::butColorClick()
{
    m_edited = Edited();
    const QColor shown = LookOf(m_edited).background;
    const std::optional<QColor> chosen = m_session.Services().fontColorDialogs.ChooseColor(shown);
    if (chosen && *chosen != shown) {
        m_edited.BgColor = NumberFromColor(*chosen);
        ShowPanel();
    }
}

void TfrmOptions::SpeedButton1Click()
{
    m_edited = Edited();
    const ListLook look = LookOf(m_edited);
    const std::optional<FontChoice> chosen =
        m_session.Services().fontColorDialogs.ChooseFont(FontChoice{look.font, look.text});
    if (!chosen) {
        return;
    }
    const CodePageBytes name = ToCodePage(chosen->font.family());
    if (name.refused) {
        m_session.ReportRefusedCharacter(*name.refused);
        return;
    }
    const QFont& font = chosen->font;
    m_edited.FontName = name.bytes;
    m_edited.FontSize = font.pointSize() >= kMinFontPoints && font.pointSize() <= kMaxFontPoints
                            ? font.pointSize()
                            : std::clamp(QFontInfo(font).pointSize(), kMinFontPoints, kMaxFontPoints);
    m_edited.FontBold = font.bold();
    m_edited.FontItalic = font.italic();
    m_edited.FontUnderline = font.underline();
    if (chosen->color != look.text) {
        m_edited.FontColor = NumberFromColor(chosen->color);
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
    m_session.ShowHelp();
}

} // namespace velmora

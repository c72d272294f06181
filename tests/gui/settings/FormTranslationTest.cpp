#include "gui/widgets/FormTranslation.h"

#include "core/settings/LanguageChoice.h"
#include "gui/account/LifecycleFixture.h"
#include "gui/account/SessionControl.h"
#include "gui/account/TfrmUser.h"
#include "gui/browser/TfrmFind.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/browser/TfrmHealth.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/GuiFixture.h"
#include "gui/settings/TfrmOptions.h"
#include "platform/ScriptedTray.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>

namespace velmora::testing {
namespace {

const std::filesystem::path kShipped = VELMORA_RUNTIME_DIR;

void WriteFile(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

QString Header(const QTableView* list, int column)
{
    return list->model()->headerData(column, Qt::Horizontal).toString();
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Components whose texts come from elsewhere, not from their own entries.
struct Exemption
{
    const char* form;
    const char* namePrefix;
    const char* why;
};
constexpr Exemption kExemptions[] = {
    {"frmMain", "cm", "the context menus are copies of the main menu, rebuilt after each translation"},
    {"frmMain", "barPanel", "the status bar shows counts and marks from messages"},
    {"frmAbout", "labWeb", "the web address is the same in every language"},
    {"frmAbout", "labMail", "the mail address is the same in every language"},
    {"frmAccountSet", "strength", "the time to guess is built from messages"},
    {"frmUser", "strength", "the time to guess is built from messages"},
    {"frmRecord", "strength", "the time to guess is built from messages"},
    {"frmPassGen", "strength", "the time to guess is built from messages"},
};

bool Exempt(const QWidget& form, const QObject& component)
{
    for (const Exemption& exemption : kExemptions) {
        if (form.objectName() == QLatin1String(exemption.form) &&
            component.objectName().startsWith(QLatin1String(exemption.namePrefix))) {
            return true;
        }
    }
    return false;
}

} // namespace

class FormTranslationTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    TfrmMain* m_main = nullptr;

    const std::filesystem::path& Dir() const { return m_program->dir.Path(); }
    std::filesystem::path Russian() const { return Dir() / "Languages" / "Russian.lng"; }
    QString ActionText(const TfrmMain& main, const char* name) const
    {
        return main.findChild<QAction*>(QLatin1String(name))->text();
    }
    QString LabelText(const TfrmMain& main, const char* name) const
    {
        return main.findChild<QLabel*>(QLatin1String(name))->text();
    }
    const std::vector<ScriptedPlatform::Shown>& Shown() const { return m_program->platform.messages; }
    // The layout setting, through the settings dialog's controls.
    void SetFullLayout(bool full)
    {
        m_program->ChangeSettings([full](AccountSettings& settings) { settings.rbFull = full; });
    }

    // Every item of every menu, and every menu of the menu bar, has an Alt+letter of its own.
    static void VerifyMnemonics(TfrmMain& main)
    {
        QList<QList<QAction*>> menus{main.menuBar()->actions()};
        for (const QMenu* menu : main.findChildren<QMenu*>()) {
            menus << menu->actions();
        }
        for (const QList<QAction*>& items : menus) {
            QSet<QChar> letters;
            for (const QAction* item : items) {
                if (item->isSeparator()) {
                    continue;
                }
                const qsizetype at = item->text().indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < item->text().size(), qPrintable(item->text()));
                const QChar letter = item->text().at(at + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(item->text()));
                letters << letter;
            }
        }
    }

    // The English texts of the main window, its lists and its messages.
    void VerifyEnglish(TfrmMain& main)
    {
        QCOMPARE(ActionText(main, "mFolderNew"), QStringLiteral("&New"));
        QCOMPARE(main.findChild<QMenu*>(QStringLiteral("mMisc"))->title(), QStringLiteral(" &Tools"));
        QCOMPARE(LabelText(main, "labFolder"), QStringLiteral("Go to folder"));
        QCOMPARE(main.findChild<QToolButton*>(QStringLiteral("butSave"))->toolTip(),
                 QStringLiteral("Save the account changes"));
        QCOMPARE(Header(main.Lists().FolderList(), 0), QStringLiteral("Folders"));
        QCOMPARE(Header(main.Lists().RecordList(), 0), QStringLiteral("Name"));
        QCOMPARE(main.Session().Message("const_mod"), QStringLiteral("Modified"));
        QCOMPARE(main.PanelText(0), QStringLiteral("Folders: 0")); // shown at once, not at the next refill
        VerifyMnemonics(main);
    }
    void VerifyRussian(TfrmMain& main)
    {
        QCOMPARE(ActionText(main, "mFolderNew"), QStringLiteral("&Новая"));
        QCOMPARE(main.findChild<QMenu*>(QStringLiteral("mMisc"))->title(), QStringLiteral(" &Разное"));
        QCOMPARE(LabelText(main, "labFolder"), QStringLiteral("Переход к папке"));
        QCOMPARE(main.findChild<QToolButton*>(QStringLiteral("butSave"))->toolTip(),
                 QStringLiteral("Сохранить изменения в аккаунте"));
        QCOMPARE(Header(main.Lists().FolderList(), 0), QStringLiteral("Папки"));
        QCOMPARE(Header(main.Lists().RecordList(), 0), QStringLiteral("Название"));
        QCOMPARE(main.Session().Message("const_mod"), QStringLiteral("Модифицировано"));
        QCOMPARE(main.PanelText(0), QStringLiteral("Папок: 0"));
        VerifyMnemonics(main);
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_main = m_program->main.get();
        std::filesystem::create_directories(Dir() / "Languages");
        std::filesystem::copy_file(kShipped / "Languages" / "Russian.lng", Russian());
    }
    void cleanup() { m_program.reset(); }

    // A renamed component or a typo in a language file fails here, and so does a text that the
    // English file leaves untranslated. The forms checked are the ones the program has built.
    void languageFilesAndFormsAgreeOnNames()
    {
        // Every form the program builds, as the program builds them.
        TfrmPassGen passGen(m_main->Session(), *m_main);
        TfrmFolder folder(m_main->Session(), m_main->Lists(), *m_main);
        TfrmRecord record(m_main->Session(), m_main->Lists(), *m_main, passGen);
        TfrmUser user(m_main->Session(), *m_main);
        TfrmFind find(m_main->Session(), m_main->Lists(), m_main->Commands(), *m_main, record);
        TfrmHealth health(m_main->Session(), m_main->Lists(), m_main->Commands(), *m_main, record);
        ScriptedTray tray;
        SessionControl session(m_main->Session(), m_main->Lists(), m_main->Commands(), *m_main, *m_program->accountSet,
                               tray);
        m_program->LoadLanguage();
        const QList<QWidget*> forms = ExistingForms();
        QVERIFY(forms.contains(m_main));
        QVERIFY(forms.contains(m_program->accountSet.get()));
        IniLang english;
        english.SetDocument(OpenLanguageFile(Dir(), {}));
        QStringList problems;
        // A form missing from the translated forms keeps its built-in Russian texts in English.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName().startsWith(QLatin1String("frm")) && !forms.contains(widget)) {
                problems << widget->objectName() + QStringLiteral(" is built but never translated");
            }
        }
        for (QWidget* form : forms) {
            const std::string section = form->objectName().toStdString();
            const QList<QObject*> components = FormComponents(*form);
            for (const std::filesystem::path& file : {Dir() / "Default.lng", Russian()}) {
                for (const std::string& entry : OpenLanguageFile(Dir(), file).EntryNames(section)) {
                    const QString text = QString::fromStdString(entry);
                    if (SameName(text, QStringLiteral("Caption"))) {
                        continue;
                    }
                    const QString name = text.section(QLatin1Char('.'), 0, 0);
                    const QString property = text.section(QLatin1Char('.'), 1);
                    const bool fits = std::any_of(components.begin(), components.end(), [&](const QObject* c) {
                        if (!SameName(c->objectName(), name)) {
                            return false;
                        }
                        if (SameName(property, QStringLiteral("Caption"))) {
                            return GetTextProperty(*c, TextProperty::Caption).has_value();
                        }
                        if (SameName(property, QStringLiteral("Hint"))) {
                            return GetTextProperty(*c, TextProperty::Hint).has_value();
                        }
                        bool number = false;
                        const int item = property.mid(6, property.size() - 7).toInt(&number);
                        return property.startsWith(QLatin1String("items["), Qt::CaseInsensitive) && number &&
                               item < ItemCount(*c);
                    });
                    if (!fits) {
                        problems << QStringLiteral("%1 [%2] %3: no such component or property")
                                        .arg(QString::fromStdString(file.filename().string()),
                                             QString::fromStdString(section), text);
                    }
                }
            }
            const auto needs = [&](const QString& entry, const QString& shown) {
                if (english.ReadFormText(section, entry.toStdString()).empty()) {
                    problems << QStringLiteral("Default.lng [%1] %2 is missing for \"%3\"")
                                    .arg(QString::fromStdString(section), entry, shown);
                }
            };
            if (form != m_main && !form->windowTitle().isEmpty()) { // the main title is built by the program
                needs(QStringLiteral("Caption"), form->windowTitle());
            }
            for (const QObject* component : components) {
                if (Exempt(*form, *component) || component->objectName().startsWith(QLatin1String("qt_"))) {
                    continue;
                }
                const QString name = component->objectName().isEmpty()
                                         ? QStringLiteral("<unnamed %1>").arg(component->metaObject()->className())
                                         : component->objectName();
                const std::optional<QString> caption = GetTextProperty(*component, TextProperty::Caption);
                // An unnamed radio button is an item of its radio group, translated by the group's items.
                const auto* group = qobject_cast<const QGroupBox*>(component->parent());
                const auto* button = qobject_cast<const QRadioButton*>(component);
                const qsizetype item =
                    group != nullptr && button != nullptr && component->objectName().isEmpty()
                        ? group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly).indexOf(button)
                        : -1;
                if (item >= 0) {
                    needs(group->objectName() + QStringLiteral(".items[%1]").arg(item), *caption);
                } else if (caption && !caption->isEmpty()) {
                    needs(name + QStringLiteral(".Caption"), *caption);
                }
                // A menu item's tool tip is its text unless it was given one; menus never show it.
                const std::optional<QString> hint = GetTextProperty(*component, TextProperty::Hint);
                if (component->isWidgetType() && hint && !hint->isEmpty()) {
                    needs(name + QStringLiteral(".Hint"), *hint);
                }
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void translatesCaptionsHintsAndItemsByName()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmFind"));
        form.setWindowTitle(QStringLiteral("built in"));
        const auto named = [](QObject* object, const char* name) {
            object->setObjectName(QLatin1String(name));
            return object;
        };
        auto* label = new QLabel(QStringLiteral("label"), &form);
        named(label, "Label1");
        auto* kept = new QLabel(QStringLiteral("kept"), &form);
        named(kept, "Label2");
        auto* tabs = new QTabWidget(&form);
        auto* page = new QWidget;
        named(page, "TabSheet1");
        tabs->addTab(page, QStringLiteral("page"));
        auto* group = new QGroupBox(QStringLiteral("group"), page); // nested controls count too
        named(group, "rgFolders");
        auto* first = new QRadioButton(QStringLiteral("one"), group);
        auto* second = new QRadioButton(QStringLiteral("two"), group);
        auto* combo = new QComboBox(&form);
        named(combo, "cbKind");
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        auto* edit = new QLineEdit(QStringLiteral("typed"), &form);
        named(edit, "edText");
        auto* tool = new QToolButton(&form);
        named(tool, "butStart");
        auto* menu = new QMenu(QStringLiteral("menu"), &form);
        named(menu, "mPop");
        auto* item = new QAction(QStringLiteral("item"), menu);
        named(item, "mItem");
        menu->addAction(item);
        // Another form parented to this one keeps to its own section.
        QDialog inner(&form);
        inner.setObjectName(QStringLiteral("frmRecord"));
        auto* innerLabel = new QLabel(QStringLiteral("inner"), &inner);
        named(innerLabel, "Label1");

        WriteFile(Dir() / "Test.lng", "[FRMFIND]\n"
                                      "CAPTION=Search\n"
                                      "label1.caption=Two*|*lines\n"
                                      "Label2.Caption=\n"
                                      "TabSheet1.Caption=_Page_\n"
                                      "rgFolders.Caption=Where\n"
                                      "rgFolders.items[0]=here\n"
                                      "rgFolders.items[2]=nowhere\n"
                                      "cbKind.items[1]=bee\n"
                                      "edText.Caption=not a caption\n"
                                      "edText.Hint=What to find\n"
                                      "butStart.Hint=Start\n"
                                      "mPop.Caption=Menu\n"
                                      "mItem.Caption=Item\n"
                                      "mItem.Hint=Item hint\n");
        IniLang lang;
        lang.SetDocument(OpenLanguageFile(Dir(), Dir() / "Test.lng"));
        TranslateForms({&form}, lang);

        const std::vector<std::pair<QString, QString>> cases = {
            {form.windowTitle(), QStringLiteral("Search")},
            {label->text(), QStringLiteral("Two\nlines")}, // the file's break, as Qt breaks a line
            {kept->text(), QStringLiteral("kept")},        // an empty value clears nothing
            {tabs->tabText(0), QStringLiteral(" Page ")},
            {group->title(), QStringLiteral("Where")},
            {first->text(), QStringLiteral("here")},
            {second->text(), QStringLiteral("two")},
            {combo->itemText(0), QStringLiteral("a")},
            {combo->itemText(1), QStringLiteral("bee")},
            {edit->text(), QStringLiteral("typed")}, // an edit has no caption
            {edit->toolTip(), QStringLiteral("What to find")},
            {tool->toolTip(), QStringLiteral("Start")},
            {menu->title(), QStringLiteral("Menu")},
            {item->text(), QStringLiteral("Item")},
            {item->toolTip(), QStringLiteral("Item hint")},
            {innerLabel->text(), QStringLiteral("inner")},
        };
        for (std::size_t i = 0; i < cases.size(); ++i) {
            QVERIFY2(cases[i].first == cases[i].second,
                     qPrintable(QStringLiteral("case %1: %2").arg(i).arg(cases[i].first)));
        }
    }

    void switchingToRussianAndBackIsRememberedForTheNextStart()
    {
        m_program->LoadLanguage();
        VerifyEnglish(*m_main);
        QCOMPARE(m_program->accountSet->windowTitle(), QStringLiteral("Choose account"));

        m_program->platform.files.push_back(QString()); // Cancel changes nothing
        m_main->findChild<QAction*>(QStringLiteral("mLanSelect"))->trigger();
        VerifyEnglish(*m_main);
        QCOMPARE(ReadLanguageChoice(Dir(), "none"), std::filesystem::path("none"));

        m_program->platform.files.push_back(QString::fromStdU16String(Russian().u16string()));
        m_main->findChild<QAction*>(QStringLiteral("mLanSelect"))->trigger();
        VerifyRussian(*m_main);
        QCOMPARE(m_program->accountSet->windowTitle(), QStringLiteral("Выбор аккаунта"));
        // Qt's own buttons follow (the bootstrap installs Qt's translations).
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Да"));
        QCOMPARE(ReadLanguageChoice(Dir(), {}), Russian());
        {
            AccountSession session(m_program->platform.Services());
            TfrmMain restarted(session);
            restarted.FormShow(PortableFolders(Dir()));
            VerifyRussian(restarted);
        }

        m_main->findChild<QAction*>(QStringLiteral("mEng"))->trigger();
        VerifyEnglish(*m_main);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
        QCOMPARE(m_program->accountSet->windowTitle(), QStringLiteral("Choose account"));
        QCOMPARE(ReadLanguageChoice(Dir(), "none"), std::filesystem::path());
        {
            AccountSession session(m_program->platform.Services());
            TfrmMain restarted(session);
            restarted.FormShow(PortableFolders(Dir()));
            VerifyEnglish(restarted);
        }
        QCOMPARE(Shown().size(), 0u);
    }

    void theInstalledLayoutReadsTheProgramFilesAndKeepsTheChoiceWithThePerson()
    {
        test::TempDir person;
        const ProgramFolders installed{ProgramLayout::Installed, Dir(), person.Path()};
        m_main->FormShow(installed);
        VerifyEnglish(*m_main);

        m_program->platform.files.push_back(QString::fromStdU16String(Russian().u16string()));
        m_main->findChild<QAction*>(QStringLiteral("mLanSelect"))->trigger();
        VerifyRussian(*m_main);
        QCOMPARE(ReadLanguageChoice(person.Path(), {}), Russian());
        QVERIFY(!std::filesystem::exists(Dir() / kLanguageChoiceFileName));
        {
            AccountSession session(m_program->platform.Services());
            TfrmMain restarted(session);
            restarted.FormShow(installed);
            VerifyRussian(restarted);
        }
        QCOMPARE(Shown().size(), 0u);
    }

    void rememberedFileIsAppliedOverTheDefaultOne()
    {
        WriteFile(Dir() / "Part.lng", "[frmMain]\nlabFolder.Caption=Folder?\n[Misc]\nconst_mod:string=Changed\n");
        WriteLanguageChoice(Dir(), Dir() / "Part.lng");
        m_program->LoadLanguage();
        QCOMPARE(m_main->Session().LanFile(), Dir() / "Part.lng");
        QCOMPARE(LabelText(*m_main, "labFolder"), QStringLiteral("Folder?"));
        QCOMPARE(LabelText(*m_main, "labRecord"), QStringLiteral("Go to record")); // kept from Default.lng
        QCOMPARE(m_main->Session().Message("const_mod"), QStringLiteral("Changed"));
        // A message the file lacks is the English one, never a blank.
        QCOMPARE(m_main->Session().Message("const_folders_cap"), QStringLiteral("Folders"));
        QCOMPARE(Header(m_main->Lists().FolderList(), 0), QStringLiteral("Folders"));
        // So is a text of a form built after the language was applied.
        TfrmPassGen passGen(m_main->Session(), *m_main);
        m_main->Session().ApplySettings();
        QCOMPARE(passGen.windowTitle(), QStringLiteral("Password generator"));
    }

    // A language file written before the program's later messages, holding the first keys only:
    // the overwrite question and the error box of a failed save show the English texts.
    void messagesAnOlderFileLacksAreShownInEnglish()
    {
        Session s;
        WriteFile(s.program.dir / "Old.lng", "[Misc]\n"
                                             "const_mod:string=Modifiziert\n"
                                             "const_folders:string=Ordner:_\n"
                                             "const_records:string=Eintraege:_\n"
                                             "const_err_save:string=Fehler_beim_Speichern_der_Datei.\n"
                                             "const_do_save:string=Aenderungen_speichern?\n"
                                             "const_overwrite:string=Die_Datei_existiert._Ueberschreiben?\n");
        WriteLanguageChoice(s.program.dir.Path(), s.program.dir / "Old.lng");
        s.CreateAndOpen(QStringLiteral("anna"), QStringLiteral("pw"));
        s.program.WriteAccount("anna", "pw", 2); // another program's save
        s.Change();
        QCOMPARE(s.Main().PanelText(2), QStringLiteral("Modifiziert"));

        s.Platform().answers = {Answer::No, Answer::Yes};
        s.Trigger("mSaveAcc");
        Session::FailSaves();
        s.Trigger("mSaveAcc");
        const QString question = QStringLiteral("Another program saved this account after it was opened here. "
                                                "Overwrite those changes with what is shown here?");
        QCOMPARE(s.Platform().questions, (QStringList{question, question}));
        QCOMPARE(s.Platform().messages.size(), std::size_t{1});
        const QString& error = s.Platform().messages.front().text;
        QVERIFY2(error.startsWith(QStringLiteral("\rThe file \"")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("\" could not be read or written: ")), qPrintable(error));
    }

    // A remembered file that was deleted keeps the whole default document, messages included.
    void deletedRememberedFileKeepsTheDefaultTexts()
    {
        WriteLanguageChoice(Dir(), Dir() / "Gone.lng");
        m_program->LoadLanguage();
        QCOMPARE(m_main->Session().LanFile(), Dir() / "Gone.lng");
        VerifyEnglish(*m_main);
        QCOMPARE(Header(m_main->Lists().RecordList(), 3), QStringLiteral("Password"));
        QCOMPARE(Shown().size(), 0u);
    }

    void unreadableFileKeepsThePreviousLanguage_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::newRow("chosen from the menu") << false;
        QTest::newRow("remembered") << true;
    }
    void unreadableFileKeepsThePreviousLanguage()
    {
        QFETCH(bool, atStart);
        const std::filesystem::path broken = Dir() / "Broken.lng";
        std::filesystem::create_directory(broken); // exists, cannot be read as a file
        if (atStart) {
            WriteLanguageChoice(Dir(), broken);
            m_program->LoadLanguage();
        } else {
            m_program->LoadLanguage();
            m_main->Session().SetLanguageFile(broken);
            // The choice that failed is neither kept nor remembered.
            QCOMPARE(m_main->Session().LanFile(), std::filesystem::path());
            QCOMPARE(ReadLanguageChoice(Dir(), "none"), std::filesystem::path("none"));
        }
        using Message = ScriptedPlatform::Shown;
        QCOMPARE(Shown(), (std::vector<Message>{
                              {MessageKind::Error, QStringLiteral("\rError applying the interface language file.")}}));
        VerifyEnglish(*m_main);
    }

    void recordColumnCaptionsFollowTheLayout()
    {
        m_program->LoadLanguage();
        QTableView* records = m_main->Lists().RecordList();
        const QStringList full = {QStringLiteral("Name"), QStringLiteral("Login"), QStringLiteral("ID number"),
                                  QStringLiteral("Password")};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(Header(records, column), full[column]);
        }
        records->model()->setHeaderData(1, Qt::Horizontal, QStringLiteral("untouched"));
        SetFullLayout(false);
        m_main->Session().ApplySettings();
        QCOMPARE(Header(records, 0), QStringLiteral("Records"));
        QCOMPARE(Header(records, 1), QStringLiteral("untouched"));
        SetFullLayout(true);
        m_main->Session().ApplySettings();
        QCOMPARE(Header(records, 0), QStringLiteral("Name"));
        QCOMPARE(Header(records, 1), QStringLiteral("Login"));
    }

    void searchResultCaptionsComeFromMessages()
    {
        TfrmPassGen passGen(m_main->Session(), *m_main);
        TfrmRecord record(m_main->Session(), m_main->Lists(), *m_main, passGen);
        TfrmFind find(m_main->Session(), m_main->Lists(), m_main->Commands(), *m_main, record);
        m_program->LoadLanguage();
        const QAbstractItemModel* results = find.findChild<QTableView*>(QStringLiteral("list"))->model();
        QCOMPARE(results->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Folder"));
        QCOMPARE(results->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Record name"));
    }

    // Each application reads the file again, so an edited file shows at the next settings apply.
    void applyingSettingsReadsTheLanguageFileAgain()
    {
        m_program->LoadLanguage();
        WriteFile(Dir() / "Default.lng", "[frmMain]\nlabFolder.Caption=Edited\n");
        m_main->Session().ApplySettings();
        QCOMPARE(LabelText(*m_main, "labFolder"), QStringLiteral("Edited"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Velmora 3.1 - "));
    }

    // The selected record is found by the key its row was built with, whatever layout the
    // settings say now: here a layout change whose language apply failed.
    void selectedRecordFollowsTheRowNotTheLayoutSetting_data()
    {
        QTest::addColumn<bool>("builtBrief");
        QTest::newRow("rows full, setting brief") << false;
        QTest::newRow("rows brief, setting full") << true;
    }
    void selectedRecordFollowsTheRowNotTheLayoutSetting()
    {
        QFETCH(bool, builtBrief);
        m_program->LoadLanguage();
        TAccount& account = m_main->Session().Account();
        account.AddFolder("Mail", 1);
        for (const char* name : {"Home", "Work", "Bank"}) {
            account.Folder(0).AddRecord(name, "", "login", "id", "secret", "");
        }
        SetFullLayout(!builtBrief);
        m_main->Lists().FillFolderList(false);
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
        m_main->Lists().FillRecordList(false);
        m_main->Lists().SelectRow(m_main->Lists().RecordList(), 1);

        std::filesystem::create_directory(Dir() / "Broken.lng");
        SetFullLayout(builtBrief);
        m_main->Session().SetLanguageFile(Dir() / "Broken.lng");
        QCOMPARE(Shown().size(), 1u);
        const TRecType* record = m_main->Lists().SelectedRecord();
        QVERIFY(record != nullptr);
        QCOMPARE(record->Name(), std::string("Work"));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::FormTranslationTest)
#include "FormTranslationTest.moc"

#include "gui/settings/TfrmOptions.h"

#include "core/os/AtomicFile.h"
#include "core/settings/TSECURITYINI.h"
#include "gui/main/GuiFixture.h"
#include "gui/widgets/DesktopLook.h"
#include "gui/widgets/ListRowModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace velmora::testing {

class OptionsTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> m_program;
    TfrmMain* m_main = nullptr;

    TfrmOptions& Options() { return m_main->Options(); }
    template <typename T = QCheckBox> T* Control(const char* name)
    {
        auto* control = Options().findChild<T*>(QLatin1String(name));
        Q_ASSERT(control != nullptr);
        return control;
    }
    QLabel* Panel() { return Control<QLabel>("panList"); }
    std::filesystem::path SettingsFile() const { return m_program->File("anna", kSettingsExtension); }

    // An open account "anna": folder 0 with three records, folder 1 empty; folder 0 and its
    // second record selected.
    void OpenAccount()
    {
        TAccount& account = m_main->Session().Account();
        account.Name = "anna";
        account.Password = "pw";
        account.AddFolder("Mail", 1);
        account.Folder(0).AddRecord("Home", "", "anna", "17", "12345", "");
        account.Folder(0).AddRecord("Work", "", "a.b", "", "pass", "");
        account.Folder(0).AddRecord("Bank", "", "", "", "x", "");
        account.AddFolder("Empty", 2);
        std::filesystem::create_directories(UsersDirectory(m_program->dir.Path()));
        account.Modified = false;
        m_main->Session().SetOpen(); // as a login does
        m_main->Session().AccountChanged();
        m_main->Lists().FillFolderList(false);
        m_main->Lists().SelectRow(m_main->Lists().FolderList(), 0);
        m_main->Lists().SelectRow(m_main->Lists().RecordList(), 1);
    }

    // A settings file for "anna" as `change` leaves the design defaults.
    void WriteSettings(const std::function<void(AccountSettings&)>& change)
    {
        AccountSettings settings;
        change(settings);
        QVERIFY(SaveSettings(SettingsFile(), "pw", settings));
    }

    AccountSettings StoredSettings()
    {
        AccountSettings stored;
        stored.FontName.clear();
        [&] { QVERIFY(LoadSettings(SettingsFile(), "pw", stored)); }();
        return stored;
    }

    // Opens the dialog from the menu and runs `script` while it is up.
    int RunDialog(std::function<void(TfrmOptions&)> script)
    {
        m_program->platform.modalScripts.push_back(
            [script = std::move(script)](QDialog& dialog) { script(static_cast<TfrmOptions&>(dialog)); });
        m_main->findChild<QAction*>(QStringLiteral("mOptions"))->trigger();
        return Options().result();
    }

private slots:
    void init()
    {
        m_program = std::make_unique<Program>();
        m_main = m_program->main.get();
        m_program->LoadLanguage();
    }
    void cleanup() { m_program.reset(); }

    void designStateIsTheDefaultSettings()
    {
        QVERIFY(m_main->Session().Settings() == AccountSettings{});
        QVERIFY(Control<QRadioButton>("rbFull")->isChecked());
        QVERIFY(!Control<QRadioButton>("rbBrief")->isChecked());
        QCOMPARE(Control<QPushButton>("butOk")->isDefault(), true);
        QVERIFY(Control<QToolButton>("butColor")->autoRaise());
        QCOMPARE(Options().objectName(), QStringLiteral("frmOptions"));
        for (int page = 1; page <= 5; ++page) {
            QVERIFY(Options().findChild<QWidget*>(QStringLiteral("TabSheet%1").arg(page)) != nullptr);
        }
    }

    void okAppliesSavesAndRefillsKeepingTheSelection()
    {
        OpenAccount();
        const int result = RunDialog([this](TfrmOptions&) {
            Control("cbHeaders")->setChecked(false);
            Control("cbFP")->setChecked(false);
            Control<QRadioButton>("rbBrief")->click();
            Control<QPushButton>("butOk")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(m_main->Lists().FolderList()->horizontalHeader()->isHidden());
        QVERIFY(m_main->Lists().RecordList()->isColumnHidden(1));
        QVERIFY(m_main->findChild<QWidget*>(QStringLiteral("panFind"))->isHidden());
        QCOMPARE(m_main->Lists().RecordRows().Rows()[0].SubItems.size(), 1u); // refilled in the brief layout
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().FolderList()), 0);
        QCOMPARE(m_main->Lists().SelectedRow(m_main->Lists().RecordList()), 1);
        QVERIFY(m_main->Session().Account().Modified);
        QCOMPARE(m_main->PanelText(2), m_main->Session().Message("const_mod"));

        const AccountSettings stored = StoredSettings();
        QVERIFY(!stored.cbHeaders);
        QVERIFY(!stored.cbFP);
        QVERIFY(!stored.rbFull);

        // With the immediate save on, OK writes the account too and the mark goes.
        RunDialog([this](TfrmOptions&) {
            Control("cbSaveMod")->setChecked(true);
            Control<QPushButton>("butOk")->click();
        });
        QVERIFY(std::filesystem::exists(m_program->File("anna", kAccountExtension)));
        QVERIFY(!m_main->Session().Account().Modified);
        QCOMPARE(m_main->PanelText(2), QString());
        QVERIFY(StoredSettings().cbSaveMod);
        QVERIFY(m_program->platform.messages.empty());
    }

    void cancelEscAndCloseBoxDropTheChanges_data()
    {
        QTest::addColumn<bool>("settingsFile");
        QTest::addColumn<int>("how"); // 0 the Cancel button, 1 Esc, 2 the close box
        for (const bool file : {true, false}) {
            for (int how = 0; how < 3; ++how) {
                const char* ways[] = {"Cancel", "Esc", "close box"};
                QTest::addRow("%s, %s", file ? "with a file" : "without a file", ways[how]) << file << how;
            }
        }
    }
    void cancelEscAndCloseBoxDropTheChanges()
    {
        QFETCH(bool, settingsFile);
        QFETCH(int, how);
        OpenAccount();
        if (settingsFile) {
            WriteSettings([](AccountSettings& settings) { settings.cbStrict = true; });
            m_main->Session().LoadAndApplySettings();
        } else {
            AccountSettings before = m_main->Session().Settings();
            before.cbStrict = true;
            m_main->Session().SetSettings(before);
        }
        const AccountSettings opened = m_main->Session().Settings();
        const int result = RunDialog([this, how](TfrmOptions& dialog) {
            Control("cbGridLines")->setChecked(false);
            Control("cbStrict")->setChecked(false);
            Control<QRadioButton>("rbBrief")->click();
            if (how == 0) {
                Control<QPushButton>("butCancel")->click();
            } else if (how == 1) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else {
                dialog.close();
            }
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(m_main->Session().Settings() == opened);
        // Opened again, the dialog shows the settings, not the dropped edits.
        RunDialog([this](TfrmOptions& dialog) {
            QVERIFY(Control("cbPassStars")->isEnabled());
            QVERIFY(Control("cbGridLines")->isChecked());
            QVERIFY(Control("cbStrict")->isChecked());
            dialog.reject();
        });
        // Nothing applied, nothing saved.
        QVERIFY(m_main->Lists().FolderList()->showGrid());
        QVERIFY(!m_main->Lists().RecordList()->isColumnHidden(1));
        QVERIFY(!m_main->Session().Account().Modified);
        QCOMPARE(std::filesystem::exists(SettingsFile()), settingsFile);
    }

    void aFontStyleChosenThenCancelledIsDropped()
    {
        OpenAccount();
        WriteSettings([](AccountSettings&) {});
        QFont bold = Panel()->font();
        bold.setBold(true);
        m_program->platform.fonts.push_back(FontChoice{bold, QColor(0, 0, 0x80)});
        RunDialog([this](TfrmOptions&) {
            Control<QToolButton>("SpeedButton1")->click();
            QVERIFY(Panel()->font().bold());
            Control<QPushButton>("butCancel")->click();
        });
        QCOMPARE(m_program->platform.fontsOffered.size(), 1u);
        QCOMPARE(m_program->platform.fontsOffered[0].font, m_main->Lists().FolderList()->font());
        QVERIFY(!m_main->Lists().FolderList()->font().bold());
        QCOMPARE(m_main->Session().Settings().FontColor, AccountSettings::kWindowTextColor);

        // OK without a change keeps the font as it was.
        RunDialog([this](TfrmOptions&) {
            QVERIFY(!Panel()->font().bold());
            Control<QPushButton>("butOk")->click();
        });
        QVERIFY(!m_main->Lists().FolderList()->font().bold());
        QVERIFY(!StoredSettings().FontBold);
    }

    void theListsFontIsBuiltFromTheSettingsAlone()
    {
        OpenAccount();
        AccountSettings styled = m_main->Session().Settings();
        styled.FontBold = styled.FontItalic = styled.FontUnderline = true;
        m_main->Session().SetSettings(styled);
        m_main->Session().ApplySettings();
        QVERIFY(m_main->Lists().RecordList()->font().bold() && m_main->Lists().RecordList()->font().italic());

        // The next account's file clears every style explicitly.
        WriteSettings([](AccountSettings& settings) {
            settings.FontBold = settings.FontItalic = settings.FontUnderline = false;
        });
        m_main->Session().LoadAndApplySettings();
        for (QTableView* list : {m_main->Lists().FolderList(), m_main->Lists().RecordList()}) {
            QVERIFY(!list->font().bold());
            QVERIFY(!list->font().italic());
            QVERIFY(!list->font().underline());
        }
    }

    void briefLayoutDisablesTheAsteriskBoxesAndKeepsTheirStates()
    {
        OpenAccount();
        RunDialog([this](TfrmOptions&) {
            Control("cbLoginStars")->setChecked(true);
            Control<QRadioButton>("rbBrief")->click();
            for (const char* name : {"cbLoginStars", "cbIDStars", "cbPassStars"}) {
                QVERIFY(!Control(name)->isEnabled());
            }
            QVERIFY(Control("cbLoginStars")->isChecked());
            QVERIFY(!Control("cbIDStars")->isChecked());
            QVERIFY(Control("cbPassStars")->isChecked());
            Control<QPushButton>("butOk")->click();
        });
        const AccountSettings stored = StoredSettings();
        QVERIFY(!stored.rbFull);
        QVERIFY(stored.cbLoginStars);
        QVERIFY(!stored.cbIDStars);
        QVERIFY(stored.cbPassStars);

        RunDialog([this](TfrmOptions&) {
            Control<QRadioButton>("rbFull")->click();
            QVERIFY(Control("cbIDStars")->isEnabled());
        });
    }

    void storedWidthsDownToMinusTwoAreAccepted_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("-1") << -1 << true;
        QTest::newRow("-2") << -2 << true;
        QTest::newRow("-3") << -3 << false;
    }
    void storedWidthsDownToMinusTwoAreAccepted()
    {
        QFETCH(int, width);
        QFETCH(bool, loaded);
        OpenAccount();
        WriteSettings([width](AccountSettings& settings) {
            settings.cbGridLines = false;
            settings.R_Column1 = 99;
            settings.R_Column2 = width; // stops the load when it is no width
            settings.R_Column3 = 77;
        });
        QCOMPARE(static_cast<bool>(m_main->Session().LoadSettings()), loaded);
        AccountSettings now = m_main->Session().Settings();
        QVERIFY(!now.cbGridLines); // the keys before the fault are in
        QCOMPARE(now.R_Column1, 99);
        QCOMPARE(now.R_Column2, loaded ? width : AccountSettings{}.R_Column2);
        QCOMPARE(now.R_Column3, loaded ? 77 : AccountSettings{}.R_Column3);

        // A load that stopped still shows what it read.
        m_main->Session().SetSettings(AccountSettings{});
        m_main->Session().ApplySettings();
        m_main->Session().LoadAndApplySettings();
        QVERIFY(!m_main->Lists().FolderList()->showGrid());
    }

    // A file damaged part-way says where it stops and that the values before it are in use, and
    // a save writes what is shown; a file that nothing can be read of says so.
    void aDamagedSettingsFileSaysWhatIsInUse_data()
    {
        QTest::addColumn<bool>("ownPassword");
        QTest::addColumn<QString>("message");
        QTest::newRow("a bad value at the 17th key")
            << true
            << QStringLiteral("The account's settings file is damaged from the setting \"SaveMod\" on. The settings "
                              "stored before it are in use. Saving the account writes the settings now shown over "
                              "the file.");
        QTest::newRow("another password")
            << false
            << QStringLiteral("The account's settings file cannot be read with the account's password, so the "
                              "default settings are shown. Saving the account writes them over it.");
    }
    void aDamagedSettingsFileSaysWhatIsInUse()
    {
        QFETCH(bool, ownPassword);
        QFETCH(QString, message);
        OpenAccount();
        AccountSettings stored;
        stored.cbGridLines = false; // before the damage
        stored.cbSaveMod = true;    // the damaged key
        stored.cbHat = false;       // after it
        QVERIFY(SaveSettings(SettingsFile(), ownPassword ? "pw" : "other", stored));
        if (ownPassword) {
            TSECURITYINI names("pw", "pw");
            IniDocument document = IniDocument::Parse(ReadWholeFile(SettingsFile()));
            QCOMPARE(kSettingKeys[16].key, std::string_view("SaveMod"));
            document.WriteString(names.EncipherSettingText("pw", kSettingsSection),
                                 names.EncipherSettingText("pw", kSettingKeys[16].key), "abcde");
            WriteFileAtomically(SettingsFile(), document.Text());
        }
        m_main->Session().LoadAndApplySettings();
        QCOMPARE(m_program->platform.messages.size(), std::size_t{1});
        QCOMPARE(m_program->platform.messages.front().kind, MessageKind::Warning);
        QCOMPARE(m_program->platform.messages.front().text, QLatin1Char('\r') + message);
        const AccountSettings shown = m_main->Session().Settings();
        QCOMPARE(m_main->Lists().FolderList()->showGrid(), !ownPassword);
        QCOMPARE(shown.cbSaveMod, AccountSettings{}.cbSaveMod);
        QCOMPARE(shown.cbHat, AccountSettings{}.cbHat);

        m_main->Session().SaveAccount();
        QVERIFY(StoredSettings() == shown);
    }

    void recordKeyComesFromTheRowAfterAStoppedLoad()
    {
        OpenAccount();
        m_main->Lists().FillRecordList(false);
        m_main->Lists().SelectRow(m_main->Lists().RecordList(), 2);
        // The load stops at the width; the layout read before it is applied, the rows stay.
        WriteSettings([](AccountSettings& settings) {
            settings.rbFull = false;
            settings.L_Column1 = -3;
        });
        m_main->Session().LoadAndApplySettings();
        QVERIFY(m_main->Session().Settings().rbBrief());
        QVERIFY(m_main->Lists().RecordList()->isColumnHidden(1));
        QCOMPARE(m_main->Lists().RecordRows().Rows()[2].SubItems.size(), 4u);
        QVERIFY(m_main->Lists().SelectedRecord() != nullptr);
        QCOMPARE(m_main->Lists().SelectedRecord()->Name(), std::string("Bank"));
    }

    void aNewAccountsFirstSaveWritesTheCurrentSettings()
    {
        OpenAccount();
        AccountSettings current = m_main->Session().Settings();
        current.cbFP = false;
        current.cbTray = false;
        current.R_Column4 = 66;
        m_main->Session().SetSettings(current);
        QVERIFY(!std::filesystem::exists(SettingsFile()));
        m_main->Session().SaveAccount();
        const AccountSettings stored = StoredSettings();
        QVERIFY(!stored.cbFP);
        QVERIFY(!stored.cbTray);
        QCOMPARE(stored.R_Column4, 66);
    }

    void resetGivesTheNextAccountTheDesignDefaults()
    {
        OpenAccount();
        AccountSettings previous;
        previous.cbSaveMod = true;
        previous.cbTray = false;
        previous.cbHeaders = false;
        previous.rbFull = false;
        previous.FontBold = true;
        previous.BgColor = 0x00102030;
        previous.L_Column1 = 50;
        previous.R_Column3 = 10;
        previous.L_Width = 300;
        m_main->Session().SetSettings(previous);
        m_main->Session().ApplySettings();

        m_main->Session().ResetSettings();
        QVERIFY(m_main->Session().Settings() == AccountSettings{});
        QVERIFY(!Panel()->font().bold());
        QVERIFY(!m_main->Lists().FolderList()->horizontalHeader()->isHidden());
        QVERIFY(!m_main->Lists().RecordList()->isColumnHidden(3));
        QCOMPARE(m_main->Lists().FolderList()->columnWidth(0), AccountSettings{}.L_Column1);

        // The next account's first save writes the defaults; a Cancel keeps them.
        m_main->Session().Account().Name = "anna";
        RunDialog([](TfrmOptions& dialog) { dialog.reject(); });
        m_main->Session().SaveAccount();
        QVERIFY(StoredSettings() == AccountSettings{});
    }

    void colourNumbersMapToTheDesktop_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QColor>("shown");
        const QPalette desktop = QApplication::palette();
        QTest::newRow("window background") << -16777211 << desktop.color(QPalette::Active, QPalette::Base);
        QTest::newRow("window text") << -16777208 << desktop.color(QPalette::Active, QPalette::Text);
        QTest::newRow("button face") << int(0xFF00000F) << desktop.color(QPalette::Active, QPalette::Button);
        QTest::newRow("grey text") << int(0xFF000011) << desktop.color(QPalette::Disabled, QPalette::Text);
        QTest::newRow("no colour 25") << int(0xFF000019) << desktop.color(QPalette::Active, QPalette::Base);
        QTest::newRow("beyond the indices") << int(0xFF0000FF) << desktop.color(QPalette::Active, QPalette::Base);
        QTest::newRow("red") << 0x000000FF << QColor(255, 0, 0);
        QTest::newRow("blue") << 0x00FF0000 << QColor(0, 0, 255);
        QTest::newRow("mixed") << 0x00336699 << QColor(0x99, 0x66, 0x33);
        QTest::newRow("palette relative") << 0x02336699 << QColor(0x99, 0x66, 0x33);
    }
    void colourNumbersMapToTheDesktop()
    {
        QFETCH(int, number);
        QFETCH(QColor, shown);
        QCOMPARE(ColorFromNumber(number, QApplication::palette(), QPalette::Base), shown);
        if ((static_cast<unsigned>(number) >> 24) == 0) {
            QCOMPARE(NumberFromColor(shown), number);
        }
    }

    void colourDialogEditsThePanelAndOkTheLists()
    {
        OpenAccount();
        const QColor window = QApplication::palette().color(QPalette::Base);
        m_program->platform.colors = {std::nullopt, window, QColor(0, 255, 0)};
        RunDialog([this, window](TfrmOptions& dialog) {
            for (int i = 0; i < 3; ++i) {
                Control<QToolButton>("butColor")->click();
                // A cancelled dialog or the same colour keeps the system colour number.
                QCOMPARE(dialog.Edited().BgColor, i < 2 ? AccountSettings::kWindowColor : 0x0000FF00);
                QCOMPARE(m_main->Session().Settings().BgColor, AccountSettings::kWindowColor); // not before OK
            }
            QCOMPARE(Panel()->palette().color(QPalette::Window), QColor(0, 255, 0));
            QCOMPARE(m_main->Lists().FolderList()->palette().color(QPalette::Base), window); // not before OK
            Control<QPushButton>("butOk")->click();
        });
        QCOMPARE(m_program->platform.colorsOffered.front(), window);
        QCOMPARE(m_main->Lists().FolderList()->palette().color(QPalette::Base), QColor(0, 255, 0));
        QCOMPARE(m_main->Lists().RecordList()->palette().color(QPalette::Base), QColor(0, 255, 0));
        QCOMPARE(StoredSettings().BgColor, 0x0000FF00);
    }

    void aFontNameOutsideTheCodePageIsRefused()
    {
        QFont font = Panel()->font();
        const QFont before = font;
        font.setFamily(QStringLiteral("字体"));
        m_program->platform.fonts.push_back(FontChoice{font, Qt::black});
        Options().SpeedButton1Click();
        QCOMPARE(Panel()->font(), before);
        QCOMPARE(m_program->platform.messages.size(), 1u);
        QCOMPARE(m_program->platform.messages[0].kind, MessageKind::Warning);
        QVERIFY(m_program->platform.messages[0].text.contains(m_main->Session().Message("const_bad_char")));
    }

    void helpOpensTheHelpPage()
    {
        Control<QPushButton>("butHelp")->click();
        QCOMPARE(m_program->platform.opened.size(), 1);
        QVERIFY(m_program->platform.opened[0].endsWith(QStringLiteral("Help.eng.htm")));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::OptionsTest)
#include "TfrmOptionsTest.moc"

#include "gui/commands/CommandTable.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>
#include <stdexcept>

namespace velmora {

namespace {

struct CommandSpec
{
    const char* name;
    const char* caption; // the form's own text, until a language file names it
    QKeySequence shortcut;
};

const CommandSpec kCommands[] = {
    {"mChangeUser", "Сменить аккаунт", QKeySequence(Qt::CTRL | Qt::Key_U)},
    {"mAcc", "аккаунт", {}},
    {"mFol", "папка", {}},
    {"mImportForeign", "из другого менеджера паролей…", {}},
    {"mText", "в текстовый файл", {}},
    {"MicrosoftExcel1", "в электронную таблицу (офисный пакет)", {}},
    {"MicrosoftWord1", "в текстовый документ (офисный пакет)", {}},
    {"mSaveAcc", "изменения в аккаунте", QKeySequence(Qt::CTRL | Qt::Key_S)},
    {"mSaveAccDisk", "копию аккаунта", QKeySequence(Qt::CTRL | Qt::Key_E)},
    {"mSaveFolder", "копию папки", {}},
    {"mChangePass", "Название и пароль", {}},
    {"mPassHealth", "Проверка паролей", {}},
    {"mOptions", "Настройки аккаунта", QKeySequence(Qt::CTRL | Qt::Key_O)},
    {"mSeal", "Запечатать", {}},
    {"mUnseal", "Снять печать", {}},
    {"mDelAcc", "Удалить аккаунт", {}},
    {"mTray", "Свернуть в трей", QKeySequence(Qt::CTRL | Qt::Key_T)},
    {"mExit", "Выход", {}},
    {"mFolderNew", "Новая", {}},
    {"mFolderEdit", "Изменить", {}},
    {"mFolderDel", "Удалить", {}},
    {"mFolderClear", "Очистить", {}},
    {"mFolderUp", "Подвинуть вверх", {}},
    {"mFolderDown", "Подвинуть вниз", {}},
    {"mRecNew", "Новая", {}},
    {"mRecEdit", "Изменить", {}},
    {"mRecDel", "Удалить", {}},
    {"mRecUp", "Подвинуть вверх", {}},
    {"mRecDown", "Подвинуть вниз", {}},
    {"mCName", "Название записи", {}},
    {"mCUrl", "URL", {}},
    {"mCLogin", "Логин", QKeySequence(Qt::CTRL | Qt::Key_L)},
    {"mCId", "ID номер", QKeySequence(Qt::CTRL | Qt::Key_I)},
    {"mCPass", "Пароль", QKeySequence(Qt::CTRL | Qt::Key_P)},
    {"mURL", "Открыть URL", {}},
    {"mAdvSearch", "Расширенный поиск", {}},
    {"mPassGen", "Генератор паролей", QKeySequence(Qt::CTRL | Qt::Key_G)},
    {"mCl", "Показать содержимое", {}},
    {"mClBuf", "Очистить", {}},
    {"mEng", "Английский", {}},
    {"mLanSelect", "Открыть из файла", {}},
    {"mContent", "Разделы", QKeySequence(Qt::Key_F1)},
    {"mAbout", "О программе", QKeySequence(Qt::CTRL | Qt::Key_A)},
};

} // namespace

CommandTable::CommandTable(QWidget& window, std::function<void(const std::exception&)> reportFailure,
                           CommandFrame frame)
    : m_reportFailure(std::move(reportFailure)),
      m_frame(frame ? std::move(frame) : [](const std::function<void()>& command) { command(); })
{
    for (const CommandSpec& spec : kCommands) {
        auto* action = new QAction(QString::fromUtf8(spec.caption), &window);
        action->setObjectName(QLatin1String(spec.name));
        action->setShortcut(spec.shortcut);
        action->setEnabled(false);
        m_commands.emplace(spec.name, Command{action, false});
    }
}

QAction* CommandTable::Action(std::string_view name) const
{
    const auto found = m_commands.find(name);
    return found == m_commands.end() ? nullptr : found->second.action;
}

void CommandTable::Bind(std::string_view name, QObject& context, std::function<void()> handler)
{
    const auto found = m_commands.find(name);
    if (found == m_commands.end()) {
        throw std::logic_error("no command " + std::string(name));
    }
    if (found->second.bound) {
        throw std::logic_error("command " + std::string(name) + " is bound twice");
    }
    found->second.bound = true;
    QObject::connect(found->second.action, &QAction::triggered, &context,
                     [handler = std::move(handler), report = m_reportFailure, frame = m_frame] {
                         try {
                             frame(handler);
                         } catch (const std::exception& failure) {
                             report(failure);
                         }
                     });
    found->second.action->setEnabled(true);
}

QStringList CommandTable::Unbound() const
{
    QStringList names;
    for (const auto& [name, command] : m_commands) {
        if (!command.bound) {
            names << QString::fromStdString(name);
        }
    }
    return names;
}

} // namespace velmora

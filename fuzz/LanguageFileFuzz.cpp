// The language file reader on arbitrary bytes, with every lookup the program makes.

#include "FuzzSupport.h"
#include "core/settings/IniLang.h"
#include "core/settings/MessageKeys.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& path = fuzz::InputFile("language.lng");
    fuzz::WriteInput(path, data, size);
    IniLang lang;
    lang.SetDocument(OpenLanguageFile(path.parent_path(), path));
    for (const auto& message : kMessageKeys) {
        const std::string text = lang.GetMessageText(message.key);
        FormatMessageText(text, {"first", "second %s"});
    }
    for (const std::string& name : lang.LangIni()->EntryNames("frmMain")) {
        lang.ReadFormText("frmMain", name);
    }
    // The document written back reads back to the same text.
    const std::string text = lang.LangIni()->Text();
    if (IniDocument::Parse(text).Text() != text) {
        fuzz::Violation("a written document did not read back the same");
    }
    return 0;
}

#include "cli/AccountJson.h"

#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/vault/CodePage.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <set>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace velmora::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFormatName = "velmora-account";
constexpr int kFormatVersion = 1;

struct JsonField
{
    std::string_view key;
    velmora::RecordField member;
};

// In the order of the account file's lines, which is also the order AddRecord takes them in.
constexpr std::array<JsonField, 6> kRecordFields = {{
    {"name", &TRecType::Name},
    {"url", &TRecType::URL},
    {"login", &TRecType::Login},
    {"idNumber", &TRecType::IDNumber},
    {"password", &TRecType::Password},
    {"notes", &TRecType::Notes},
}};

// Where a value sits: its JSON pointer and, inside a folder, the folder and record it belongs to.
struct Place
{
    std::string pointer;
    std::string context;

    Place Child(std::string_view key) const { return {pointer + "/" + std::string(key), context}; }
    Place Item(std::size_t index) const { return {pointer + "/" + std::to_string(index), context}; }
};

[[noreturn]] void Refuse(const Place& place, const std::string& problem)
{
    const std::string where = place.pointer.empty() ? "its top level" : place.pointer;
    throw CommandError(ExitCode::DamagedFile,
                       "The import file is no account dump: " + where + place.context + " " + problem + ".");
}

void RequireType(const Json& value, bool matches, std::string_view expected, const Place& place)
{
    if (!matches) {
        Refuse(place, "should be " + std::string(expected) + ", not " + value.type_name());
    }
}

// The object's members, which must be exactly `keys`.
template <std::size_t N>
void RequireObject(const Json& value, const std::array<std::string_view, N>& keys, const Place& place)
{
    RequireType(value, value.is_object(), "an object", place);
    for (const std::string_view key : keys) {
        if (!value.contains(key)) {
            Refuse(place, "lacks the member \"" + std::string(key) + "\"");
        }
    }
    for (const auto& [key, member] : value.items()) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            Refuse(place, "has the unknown member \"" + key + "\"");
        }
    }
}

std::string UnicodeName(char32_t character)
{
    std::array<char, 16> name{};
    std::snprintf(name.data(), name.size(), "U+%04X", static_cast<unsigned>(character));
    return name.data();
}

// The text as code page bytes. A secret text is never quoted, not even the refused character.
std::string TextValue(const Json& value, const Place& place, bool secret = false)
{
    RequireType(value, value.is_string(), "a string", place);
    const std::string& utf8 = value.get_ref<const std::string&>();
    CodePageText text = Utf8ToCodePage(utf8);
    if (text.unmappable) {
        Refuse(place,
               secret ? "holds a character that the code page cannot hold"
                      : "holds the character " + UnicodeName(*text.unmappable) + ", which the code page cannot hold");
    }
    return std::move(text.bytes);
}

// A folder's or record's name. The account file would keep a NUL byte in it, but the lists, the
// captions and the other password managers' files end a name there.
std::string NameValue(const Json& value, const Place& place)
{
    std::string name = TextValue(value, place);
    if (name.find('\0') != std::string::npos) {
        Refuse(place, "holds the character U+0000, which a name cannot hold");
    }
    return name;
}

std::int32_t IntegerValue(const Json& value, const Place& place, std::int32_t lowest)
{
    RequireType(value, value.is_number_integer(), "an integer", place);
    const bool fits = value.is_number_unsigned()
                          ? value.get<std::uint64_t>() <= std::uint64_t{std::numeric_limits<std::int32_t>::max()}
                          : value.get<std::int64_t>() >= lowest &&
                                value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
    if (!fits) {
        Refuse(place, "should be an integer from " + std::to_string(lowest) + " to " +
                          std::to_string(std::numeric_limits<std::int32_t>::max()));
    }
    return static_cast<std::int32_t>(value.get<std::int64_t>());
}

bool BoolValue(const Json& value, const Place& place)
{
    RequireType(value, value.is_boolean(), "true or false", place);
    return value.get<bool>();
}

// The quoted name of a folder or record for messages, when the dump gives it as a string.
std::string NameForMessage(const Json& object)
{
    if (object.is_object() && object.contains("name") && object["name"].is_string()) {
        return " \"" + PrintableText(object["name"].get<std::string>()) + "\"";
    }
    return "";
}

Json SettingsToJson(const AccountSettings& settings)
{
    Json json = Json::object();
    for (const SettingKey& key : kSettingKeys) {
        std::visit(
            [&](auto member) {
                const auto& value = settings.*member;
                if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
                    json[std::string(key.key)] = CodePageToUtf8(value);
                } else {
                    json[std::string(key.key)] = value;
                }
            },
            key.member);
    }
    return json;
}

AccountSettings SettingsFromJson(const Json& json, const Place& place)
{
    std::array<std::string_view, kSettingKeys.size()> keys;
    std::transform(kSettingKeys.begin(), kSettingKeys.end(), keys.begin(),
                   [](const SettingKey& key) { return key.key; });
    RequireObject(json, keys, place);

    AccountSettings settings;
    for (const SettingKey& key : kSettingKeys) {
        const Place at = place.Child(key.key);
        const Json& value = json[std::string(key.key)];
        std::visit(
            [&](auto member) {
                auto& target = settings.*member;
                using Value = std::decay_t<decltype(target)>;
                if constexpr (std::is_same_v<Value, std::string>) {
                    target = TextValue(value, at);
                } else if constexpr (std::is_same_v<Value, bool>) {
                    target = BoolValue(value, at);
                } else {
                    // A width below -2 could be written but never read back.
                    const std::int32_t lowest =
                        key.kind == SettingKind::Width ? -2 : std::numeric_limits<std::int32_t>::min();
                    target = IntegerValue(value, at, lowest);
                }
            },
            key.member);
    }
    return settings;
}

void AddRecordFromJson(const Json& json, TFolderType& folder, const Place& place)
{
    std::array<std::string_view, kRecordFields.size()> keys;
    std::transform(kRecordFields.begin(), kRecordFields.end(), keys.begin(),
                   [](const JsonField& field) { return field.key; });
    RequireObject(json, keys, place);

    std::array<std::string, kRecordFields.size()> values;
    for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
        const std::string_view key = kRecordFields[i].key;
        values[i] = key == "name" ? NameValue(json[std::string(key)], place.Child(key))
                                  : TextValue(json[std::string(key)], place.Child(key), key == "password");
    }
    folder.AddRecord(std::move(values[0]), std::move(values[1]), std::move(values[2]), std::move(values[3]),
                     std::move(values[4]), std::move(values[5]));
}

void AddFolderFromJson(const Json& json, TAccount& account, const Place& place)
{
    RequireObject(json, std::array<std::string_view, 3>{"name", "icon", "records"}, place);
    const Json& records = json["records"];
    RequireType(records, records.is_array(), "an array", place.Child("records"));
    if (records.size() > kMaxRecordsPerFolder) {
        Refuse(place.Child("records"), "holds more than " + std::to_string(kMaxRecordsPerFolder) + " records");
    }
    account.AddFolder(NameValue(json["name"], place.Child("name")),
                      IntegerValue(json["icon"], place.Child("icon"), std::numeric_limits<std::int32_t>::min()));

    TFolderType& folder = account.Folder(account.FolderCount() - 1);
    const std::string folderContext = " (folder" + NameForMessage(json);
    for (std::size_t i = 0; i < records.size(); ++i) {
        Place at = place.Child("records").Item(i);
        at.context = folderContext + ", record" + NameForMessage(records[i]) + ")";
        AddRecordFromJson(records[i], folder, at);
    }
}

// What a code page byte becomes inside a JSON string, escaped as the JSON library escapes it.
std::string JsonEscaped(char byte)
{
    const char32_t character = CodePageToUnicode(static_cast<unsigned char>(byte));
    switch (character) {
    case U'"':
        return "\\\"";
    case U'\\':
        return "\\\\";
    case U'\b':
        return "\\b";
    case U'\f':
        return "\\f";
    case U'\n':
        return "\\n";
    case U'\r':
        return "\\r";
    case U'\t':
        return "\\t";
    default:
        break;
    }
    if (character <= 0x1F) {
        std::array<char, 8> escaped{};
        std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned>(character));
        return escaped.data();
    }
    return CodePageToUtf8(std::string_view(&byte, 1));
}

const CodePageTable& JsonStringBytes()
{
    static const CodePageTable table(JsonEscaped);
    return table;
}

// Writes JSON laid out as the JSON library's dump with an indent of 2: each member and item on
// a line of its own, empty objects and arrays as {} and [].
class PrettyJson
{
public:
    explicit PrettyJson(ExportBuffer& out) : m_out(out) {}

    void Open(char bracket)
    {
        BeginValue();
        m_out.Append(std::string_view(&bracket, 1));
        m_empty.push_back(true);
    }

    void Close(char bracket)
    {
        const bool empty = m_empty.back();
        m_empty.pop_back();
        if (!empty) {
            NewLine();
        }
        m_out.Append(std::string_view(&bracket, 1));
    }

    void Key(std::string_view key)
    {
        BeginValue();
        Quoted(key);
        m_out.Append(": ");
        m_afterKey = true;
    }

    // Code page bytes.
    void Text(std::string_view bytes)
    {
        BeginValue();
        Quoted(bytes);
    }

    void Integer(std::int32_t value)
    {
        BeginValue();
        std::array<char, 16> digits{};
        const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
        m_out.Append(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
    }

    void Bool(bool value)
    {
        BeginValue();
        m_out.Append(value ? "true" : "false");
    }

    void Null()
    {
        BeginValue();
        m_out.Append("null");
    }

private:
    // A member's value follows its key; any other value inside a container starts a line.
    void BeginValue()
    {
        if (std::exchange(m_afterKey, false) || m_empty.empty()) {
            return;
        }
        if (!m_empty.back()) {
            m_out.Append(",");
        }
        m_empty.back() = false;
        NewLine();
    }

    void NewLine()
    {
        static constexpr std::string_view kSpaces = "                ";
        m_out.Append("\n");
        m_out.Append(kSpaces.substr(0, 2 * m_empty.size()));
    }

    void Quoted(std::string_view bytes)
    {
        m_out.Append("\"");
        m_out.Append(bytes, JsonStringBytes());
        m_out.Append("\"");
    }

    ExportBuffer& m_out;
    std::vector<bool> m_empty; // of each open object and array, innermost last
    bool m_afterKey = false;
};

void WriteRecord(PrettyJson& json, const TRecType& record)
{
    json.Open('{');
    for (const JsonField& field : kRecordFields) {
        json.Key(field.key);
        json.Text((record.*field.member)());
    }
    json.Close('}');
}

void WriteFolder(PrettyJson& json, const TFolderType& folder)
{
    json.Open('{');
    json.Key("name");
    json.Text(folder.Name);
    json.Key("icon");
    json.Integer(folder.ImageIndex);
    json.Key("records");
    json.Open('[');
    for (std::size_t position = 0; position < folder.Count(); ++position) {
        WriteRecord(json, folder.RecordAt(position));
    }
    json.Close(']');
    json.Close('}');
}

void WriteSettings(PrettyJson& json, const AccountSettings& settings)
{
    json.Open('{');
    for (const SettingKey& key : kSettingKeys) {
        json.Key(key.key);
        std::visit(
            [&](auto member) {
                const auto& value = settings.*member;
                using Value = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, std::string>) {
                    json.Text(value);
                } else if constexpr (std::is_same_v<Value, bool>) {
                    json.Bool(value);
                } else {
                    json.Integer(value);
                }
            },
            key.member);
    }
    json.Close('}');
}

// Follows the parser through the objects and arrays it is inside, and refuses a key that the
// object it stands in already has: JSON would silently keep only the last of the two values.
class DuplicateKeyCheck
{
public:
    bool operator()(int /*depth*/, Json::parse_event_t event, const Json& parsed)
    {
        using Event = Json::parse_event_t;
        switch (event) {
        case Event::object_start:
        case Event::array_start:
            m_open.push_back(Container{.array = event == Event::array_start, .index = 0, .key = {}, .keys = {}});
            break;
        case Event::key:
            TakeKey(parsed.get_ref<const std::string&>());
            break;
        case Event::object_end:
        case Event::array_end:
            m_open.pop_back();
            CountValue();
            break;
        case Event::value:
            CountValue();
            break;
        }
        return true;
    }

private:
    struct Container
    {
        bool array = false;
        std::size_t index = 0; // of the array's current item
        std::string key;       // of the object's current member
        std::set<std::string> keys;
    };

    void TakeKey(const std::string& key)
    {
        Container& object = m_open.back();
        if (!object.keys.insert(key).second) {
            Refuse(Place{PointerTo(m_open.size() - 1), ""}, "has the member \"" + key + "\" twice");
        }
        object.key = key;
    }

    void CountValue()
    {
        if (!m_open.empty() && m_open.back().array) {
            ++m_open.back().index;
        }
    }

    // The JSON pointer of the container at this depth.
    std::string PointerTo(std::size_t depth) const
    {
        Json::json_pointer pointer;
        for (std::size_t i = 0; i < depth; ++i) {
            pointer = m_open[i].array ? pointer / m_open[i].index : pointer / m_open[i].key;
        }
        return pointer.to_string();
    }

    std::vector<Container> m_open;
};

} // namespace

nlohmann::ordered_json AccountToJson(const TAccount& account, const std::optional<AccountSettings>& settings)
{
    Json folders = Json::array();
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        const TFolderType& folder = account.Folder(i);
        Json records = Json::array();
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            const TRecType& record = folder.RecordAt(position);
            Json json = Json::object();
            for (const JsonField& field : kRecordFields) {
                json[std::string(field.key)] = CodePageToUtf8((record.*field.member)());
            }
            records.push_back(std::move(json));
        }
        Json json = Json::object();
        json["name"] = CodePageToUtf8(folder.Name);
        json["icon"] = folder.ImageIndex;
        json["records"] = std::move(records);
        folders.push_back(std::move(json));
    }

    Json dump = Json::object();
    dump["format"] = kFormatName;
    dump["version"] = kFormatVersion;
    dump["folders"] = std::move(folders);
    dump["settings"] = settings ? SettingsToJson(*settings) : Json(nullptr);
    return dump;
}

void WriteAccountJson(const TAccount& account, const std::optional<AccountSettings>& settings, const PieceWriter& write)
{
    ExportBuffer out(write);
    PrettyJson json(out);
    json.Open('{');
    json.Key("format");
    json.Text(kFormatName);
    json.Key("version");
    json.Integer(kFormatVersion);
    json.Key("folders");
    json.Open('[');
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        WriteFolder(json, account.Folder(i));
    }
    json.Close(']');
    json.Key("settings");
    if (settings) {
        WriteSettings(json, *settings);
    } else {
        json.Null();
    }
    json.Close('}');
    out.Append("\n");
    out.Flush();
}

nlohmann::ordered_json ParseAccountJson(std::string_view text)
{
    try {
        DuplicateKeyCheck check;
        return Json::parse(
            text, [&check](int depth, Json::parse_event_t event, Json& parsed) { return check(depth, event, parsed); });
    } catch (const Json::parse_error& error) {
        // `byte` counts from 1 and points at the character the parser stopped at.
        const std::size_t end = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
        const std::string_view before = text.substr(0, end);
        const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
        const std::size_t lineStart = before.find_last_of('\n');
        const std::size_t column = end - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
        throw CommandError(ExitCode::DamagedFile,
                           "The import file is not valid JSON: it breaks off or goes wrong at line " +
                               std::to_string(line) + ", column " + std::to_string(column) + ".");
    } catch (const Json::out_of_range&) {
        // The parser tells no position for a number beyond every range.
        throw CommandError(ExitCode::DamagedFile, "The import file is not valid JSON: it holds a number too large "
                                                  "to read.");
    }
}

std::optional<AccountSettings> AccountFromJson(const nlohmann::ordered_json& dump, TAccount& account)
{
    const Place root;
    RequireObject(dump, std::array<std::string_view, 4>{"format", "version", "folders", "settings"}, root);
    if (dump["format"] != kFormatName || dump["version"] != kFormatVersion) {
        Refuse(root.Child("format"),
               "should be \"" + std::string(kFormatName) + "\" with version " + std::to_string(kFormatVersion));
    }

    const Json& folders = dump["folders"];
    RequireType(folders, folders.is_array(), "an array", root.Child("folders"));
    if (folders.size() > kMaxFolders) {
        Refuse(root.Child("folders"), "holds more than " + std::to_string(kMaxFolders) + " folders");
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        AddFolderFromJson(folders[i], account, root.Child("folders").Item(i));
    }

    const Json& settings = dump["settings"];
    if (settings.is_null()) {
        return std::nullopt;
    }
    return SettingsFromJson(settings, root.Child("settings"));
}

} // namespace velmora::cli

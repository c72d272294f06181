#include "platform/AutomationDocument.h"

#include "core/export/AutomationMembers.h"

#include <cstdio>
#include <memory>
#include <zip.h>

namespace velmora {
namespace {

constexpr std::string_view kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

constexpr std::string_view kRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="word/document.xml"/>)"
    R"(</Relationships>)";

// Run text as WordprocessingML: markup characters escaped, tabs as tab elements, and the
// control characters that XML cannot hold shown as U+FFFD.
std::string RunXml(const WordDocument::Run& run)
{
    std::string xml = "<w:r>";
    if (run.bold) {
        xml += "<w:rPr><w:b/></w:rPr>";
    }
    xml += R"(<w:t xml:space="preserve">)";
    for (const char c : run.text) {
        switch (c) {
        case '&':
            xml += "&amp;";
            break;
        case '<':
            xml += "&lt;";
            break;
        case '>':
            xml += "&gt;";
            break;
        case '\t':
            xml += R"(</w:t><w:tab/><w:t xml:space="preserve">)";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                xml += "\xEF\xBF\xBD";
            } else {
                xml += c;
            }
        }
    }
    return xml + "</w:t></w:r>";
}

std::string DocumentXml(const std::vector<WordDocument::Paragraph>& paragraphs)
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      "\n"
                      R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
                      "<w:body>";
    for (const WordDocument::Paragraph& paragraph : paragraphs) {
        xml += "<w:p>";
        for (const WordDocument::Run& run : paragraph) {
            xml += RunXml(run);
        }
        xml += "</w:p>";
    }
    return xml + "<w:sectPr/></w:body></w:document>";
}

[[noreturn]] void Fail(const std::filesystem::path& file, const std::string& reason)
{
    throw AutomationError("Cannot write \"" + file.string() + "\": " + reason);
}

// The zip container, built in memory so the file itself is written once, in place.
std::string ZipArchive(const std::vector<std::pair<const char*, std::string_view>>& parts,
                       const std::filesystem::path& file)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) {
        Fail(file, zip_error_strerror(&error));
    }
    const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(buffer, zip_source_free);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        zip_source_free(buffer);
        Fail(file, zip_error_strerror(&error));
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (source == nullptr || zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
            const std::string reason = zip_strerror(archive);
            zip_source_free(source);
            zip_discard(archive);
            Fail(file, reason);
        }
    }
    if (zip_close(archive) != 0) {
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        Fail(file, reason);
    }
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0) {
        Fail(file, zip_error_strerror(zip_source_error(buffer)));
    }
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read != static_cast<zip_int64_t>(stat.size)) {
        Fail(file, "the archive could not be read back");
    }
    return bytes;
}

class DocumentApplication
{
public:
    explicit DocumentApplication(AutomationFiles& files) : m_files(files) {}

    AutomationObjectPtr Build(const std::shared_ptr<DocumentApplication>& self)
    {
        auto font = std::make_shared<MemberTable>();
        font->Set("bold", [self](const AutomationArguments&, const AutomationValue& value) {
            self->ActiveDocument().SetBold(BoolValue(value));
        });
        auto range = std::make_shared<MemberTable>();
        range
            ->Get("insertAfter",
                  [self](const AutomationArguments& a) {
                      self->ActiveDocument().InsertAfter(TextArgument(a, 0));
                      return AutomationObjectPtr();
                  })
            .Get("font", [font](const AutomationArguments&) { return font; });
        auto document = std::make_shared<MemberTable>();
        document->Get("range", [self, range](const AutomationArguments&) {
            self->ActiveDocument(); // a range needs a document
            return range;
        });
        auto documents = std::make_shared<MemberTable>();
        documents->Get("add", [self, document](const AutomationArguments&) {
            self->m_documents.emplace_back();
            return document;
        });
        auto application = std::make_shared<MemberTable>();
        std::weak_ptr<MemberTable> weakApplication = application;
        application->Get("documents", [documents](const AutomationArguments&) { return documents; })
            .Get("application", [weakApplication](const AutomationArguments&) { return weakApplication.lock(); })
            .Get("activedocument",
                 [self, document](const AutomationArguments&) {
                     self->ActiveDocument();
                     return document;
                 })
            .Set("visible", [self](const AutomationArguments&, const AutomationValue& value) {
                if (BoolValue(value)) {
                    self->Show();
                }
            });
        return application;
    }

private:
    WordDocument& ActiveDocument()
    {
        if (m_documents.empty()) {
            throw AutomationError("There is no open document.");
        }
        return m_documents.back();
    }

    // An application without a document shows nothing to write.
    void Show()
    {
        if (m_documents.empty()) {
            return;
        }
        const std::filesystem::path file = m_files.NewFile("Document", "docx");
        m_documents.back().WriteDocx(file);
        m_files.Open(file);
    }

    AutomationFiles& m_files;
    std::vector<WordDocument> m_documents;
};

} // namespace

void WordDocument::AppendRun(std::string_view text)
{
    if (text.empty()) {
        return;
    }
    Paragraph& last = m_paragraphs.back();
    if (!last.empty() && last.back().bold == m_markBold) {
        last.back().text += text;
    } else {
        last.push_back(Run{std::string(text), m_markBold});
    }
}

void WordDocument::InsertAfter(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        AppendRun(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        const std::size_t breakSize = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        m_paragraphs.emplace_back();
        text.remove_prefix(end + breakSize);
    }
}

void WordDocument::SetBold(bool bold)
{
    for (Paragraph& paragraph : m_paragraphs) {
        for (Run& run : paragraph) {
            run.bold = bold;
        }
        // Neighbouring runs now look alike: one run each.
        if (paragraph.size() > 1) {
            std::string text;
            for (const Run& run : paragraph) {
                text += run.text;
            }
            paragraph = {Run{std::move(text), bold}};
        }
    }
    m_markBold = bold;
}

void WordDocument::WriteDocx(const std::filesystem::path& file) const
{
    const std::string document = DocumentXml(m_paragraphs);
    const std::string bytes = ZipArchive(
        {{"[Content_Types].xml", kContentTypes}, {"_rels/.rels", kRelationships}, {"word/document.xml", document}},
        file);
    // The file exists already, owner-only; writing over it keeps its mode.
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) {
        Fail(file, "cannot open it");
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        Fail(file, "the disk refused the data");
    }
}

AutomationObjectPtr NewDocumentApplication(AutomationFiles& files)
{
    auto application = std::make_shared<DocumentApplication>(files);
    return application->Build(application);
}

} // namespace velmora

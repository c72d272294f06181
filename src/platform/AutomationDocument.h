#pragma once

#include "core/export/Automation.h"
#include "platform/AutomationFiles.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Paragraphs of text runs, some bold: what the built-in "Word.Application" fills. A new
// document holds one empty paragraph, whose mark ends the document; appended text goes before
// that mark and takes its formatting, as a word processor's does.
class WordDocument
{
public:
    struct Run
    {
        std::string text; // UTF-8, without line breaks
        bool bold = false;
        bool operator==(const Run&) const = default;
    };
    using Paragraph = std::vector<Run>;

    // Appends `text` (UTF-8) at the end of the document; CR LF, CR and LF each end a paragraph.
    void InsertAfter(std::string_view text);
    // Bold on or off for the whole document, its final mark included.
    void SetBold(bool bold);
    const std::vector<Paragraph>& Paragraphs() const { return m_paragraphs; }

    // Writes the document as a .docx file (WordprocessingML in a zip container) into `file`,
    // which is replaced in place. Throws AutomationError.
    void WriteDocx(const std::filesystem::path& file) const;

private:
    void AppendRun(std::string_view text);

    std::vector<Paragraph> m_paragraphs{1};
    bool m_markBold = false;
};

// The built-in "Word.Application": documents.add, application, activedocument, its range with
// insertAfter and font.bold, and visible, which writes the active document into `files` and
// opens it.
AutomationObjectPtr NewDocumentApplication(AutomationFiles& files);

} // namespace velmora

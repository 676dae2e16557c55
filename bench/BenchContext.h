#pragma once

// The editor without a window for the benchmarks: the history works on a document, the
// cursor is only an offset, every question gets `answer`, and the last message is kept so
// that a run can fail on it. Marks-file dialogs choose `file`.
#include "document/Document.h"
#include "document/Language.h"
#include "edit/TActions.h"
#include "marks/MarksContext.h"

#include <cstdint>
#include <string>

namespace vtmbench {

class BenchContext : public vtm::MarksContext
{
public:
    BenchContext() { m_history.setContext(this); }

    int answer = vtm::mrYes;
    std::string message;
    std::string file;

    vtm::Document &Doc() override { return m_doc; }
    vtm::TActions &History() override { return m_history; }
    vtm::Language Language() const override { return vtm::LanguageEnglish; }
    int NextCommandNumber() override { return ++m_command; }
    std::int64_t CursorOffset() const override { return m_cursor; }
    bool CursorInCharArea() const override { return false; }
    void MoveCursorToOffset(std::int64_t offset, bool, bool) override { m_cursor = offset; }
    void RequestLayout() override {}
    void UpdateView() override {}
    void InvalidateView() override {}
    void UpdateMainWindow() override {}
    void Beep() override {}
    int ShowMessageDlg(const std::string &text, vtm::MessageKind, unsigned, int) override
    {
        message = text;
        return answer;
    }
    int ShowMessageDlgDefault(const std::string &, vtm::MessageKind, unsigned, int,
                              unsigned) override
    {
        return answer;
    }
    void ShowProgress(const std::string &) override {}
    void UpdateMenus() override {}
    bool RunMarksDialog(bool, const std::string &, const std::string &,
                        std::string *chosen) override
    {
        *chosen = file;
        return !file.empty();
    }
    bool CreateBackUp() const override { return false; }
    std::string &MarksInitialDir() override { return m_dir; }
    std::string &MarksFileName() override { return m_name; }

private:
    vtm::Document m_doc;
    vtm::TActions m_history;
    int m_command = 0;
    std::int64_t m_cursor = 0;
    std::string m_dir, m_name;
};

} // namespace vtmbench

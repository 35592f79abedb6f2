// The operator window's controls as data, the same for every toolkit: each
// control's component name, page, kind, caption, hint, the control a label
// names, its weight and, where fixed, its size. Both windows build their
// controls from this table (a caption is typed here and nowhere else), the
// form logic reads and writes controls by these names, and the tests check
// each window against it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::form {

enum class Kind {
    Window,    // the main window
    Page,      // a tab's page; its caption is the tab's title
    Panel,     // a frame that only holds other controls
    Group,     // a group box with a title
    Radio,     // an item of a radio group
    Label,     // a static text, naming its buddy where it has one
    Edit,      // a one-line text field
    Button,    // a push button with its glyph
    Quick,     // a small command button
    Progress,  // a progress bar
    Led,       // the lamp
    Check,     // a check box, its caption left of the box
    Combo,     // a drop-down list; its caption holds the entries
    List,      // a list box
    Text,      // a multi-line read-only text
    Picture,   // a painted picture
    Status,    // a status-bar panel; its width is the panel's
    Menu,      // an entry of the notification-area menu
    Separator, // a line in that menu
};

// The page of the window's parts outside the pages (the window, the status
// bar, the menu).
inline constexpr int kNoPage = -1;

// The caption of a control whose text the program sets at run time.
inline constexpr std::string_view kRunTimeText = "*";

struct ControlRow {
    std::string_view name{};
    int page = kNoPage; // 0 "Ovládání terminálu" .. 4 "Chybová hlášení"
    Kind kind = Kind::Label;
    // Windows-1250. A list's entries with '|' between them; {a..b} and
    // {a..b..step} stand for the numbers from a to b, each an entry.
    std::string_view caption{};
    std::string_view hint{}; // Windows-1250; empty for none
    std::string_view buddy{};
    bool bold = false;
    int width = 0; // at 96 DPI where fixed; 0 where the layout decides
    int height = 0;
};

// Every row, in the order of the pages and, on a page, of the keyboard.
std::span<const ControlRow> ControlTable();

// The row of a component name; an unknown name is a programming error and
// throws std::out_of_range.
const ControlRow& RowOf(std::string_view name);

// The rows of one kind, in the table's order.
std::vector<ControlRow> RowsOfKind(Kind kind);

// A list's entries, ranges expanded.
std::vector<std::string> ListEntries(std::string_view caption);

// The caption as a control shows it at the start: empty for run-time text.
std::string_view InitialText(const ControlRow& row);

} // namespace kelmora::form

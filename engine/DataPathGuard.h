// What keeps the engine from serving its data path, looked at when the
// configuration is loaded and again at every look the engine takes (before a
// request file is taken, at every re-test), whatever the watcher's ticks:
//
// - The mark of the data path, the lock file "kelmora.lock": one copy only
//   works in a data path, whoever runs it. A lock file that went away (the
//   directory removed and made again under a running copy) or was replaced
//   is taken again; while another copy holds it, this copy takes no request
//   file; one that cannot be made at all is logged, and the copy serves
//   without it. A link planted under its name is replaced by the lock file.
// - The directory itself: a request file is taken only where its status pair
//   can be written, so a data path that cannot be written (missing, read-only,
//   a sandbox that does not let the program write there) is logged once with
//   its reason, instead of failing at every poll.
//
// Every change is logged once, in the event log's words (Windows-1250).
#pragma once

#include "platform/FileAccess.h"
#include "platform/SingleInstance.h"

#include <string>
#include <string_view>

namespace kelmora {

class EventLog;

// Whether a running copy serves `dataPath` now: it holds the mark there. For
// a program that only asks (kelmora request); takes nothing.
bool DataPathServed(std::string_view dataPath);

class DataPathGuard {
public:
    // Takes the mark of `dataPath`; logs nothing yet.
    DataPathGuard(std::string dataPath, const EventLog& log);

    // Another copy held the mark when this one started: it does nothing at
    // all then, and ends as a second copy.
    bool SecondCopy() const { return secondCopy_; }

    // Looks at the mark and the directory again and logs what changed since
    // the last look (at the first look, what is wrong). Whether a request
    // file may be taken now.
    bool Check();

    // What is wrong at the last look, in the event log's words; empty when
    // nothing is.
    std::string Problem() const;
    // Why the data path cannot be written, at the last look.
    DirectoryProblem WriteProblem() const { return writeProblem_; }
    const std::string& Path() const { return dataPath_; }

private:
    std::string WriteProblemText() const;
    std::string MarkProblemText() const;

    std::string dataPath_;
    const EventLog& log_;
    SingleInstance mark_;
    bool secondCopy_;
    bool looked_ = false;
    MarkCheck markState_ = MarkCheck::Kept;
    DirectoryProblem writeProblem_ = DirectoryProblem::None;
};

} // namespace kelmora

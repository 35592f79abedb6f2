#include "engine/DataPathGuard.h"

#include "engine/EventLog.h"
#include "platform/Cp1250.h"

namespace kelmora {

using namespace kelmora::literals;

namespace {

// The lock file's name without ".lock": not the per-user mark's name, as the
// two may share a directory.
constexpr std::string_view kDataPathMark = "kelmora";

std::string_view Reason(DirectoryProblem problem) {
    switch (problem) {
    case DirectoryProblem::Missing:
        return "neexistuje"_cp;
    case DirectoryProblem::NotDirectory:
        return "není to adresář"_cp;
    case DirectoryProblem::ReadOnly:
        return "je jen pro čtení"_cp;
    case DirectoryProblem::Denied:
        return "přístup odepřen"_cp;
    case DirectoryProblem::None:
        break;
    }
    return {};
}

} // namespace

bool DataPathServed(std::string_view dataPath) {
    return SingleInstance::HeldInDirectory(kDataPathMark, dataPath);
}

DataPathGuard::DataPathGuard(std::string dataPath, const EventLog& log)
    : dataPath_(std::move(dataPath)), log_(log), mark_(kDataPathMark, dataPath_),
      secondCopy_(!mark_.Held()) {
    if (mark_.Unavailable()) {
        markState_ = MarkCheck::Unavailable;
    } else if (secondCopy_) {
        markState_ = MarkCheck::HeldElsewhere;
    }
}

std::string DataPathGuard::WriteProblemText() const {
    return std::string("Do datového adresáře "_cp) + dataPath_ +
           std::string(" nelze zapisovat ("_cp) + std::string(Reason(writeProblem_)) +
           std::string("): soubory požadavků se nepřebírají"_cp);
}

std::string DataPathGuard::MarkProblemText() const {
    if (markState_ == MarkCheck::HeldElsewhere) {
        return std::string("Zámek "_cp) + mark_.LockFile() +
               std::string(" drží jiná kopie programu: soubory požadavků se nepřebírají"_cp);
    }
    if (markState_ == MarkCheck::Unavailable) {
        return std::string("Zámek "_cp) + mark_.LockFile() + std::string(" nelze vytvořit"_cp);
    }
    return {};
}

bool DataPathGuard::Check() {
    const bool first = !looked_;
    looked_ = true;
    const MarkCheck before = markState_;
    MarkCheck now = first ? markState_ : mark_.Recheck();
    if (now == MarkCheck::TakenAgain) {
        log_.LogEvent(std::string("Zámek "_cp) + mark_.LockFile() +
                      std::string(" převzat znovu"_cp));
        now = MarkCheck::Kept;
    }
    markState_ = now;
    if (now != MarkCheck::Kept && (first || now != before)) {
        log_.LogEvent(MarkProblemText());
    }

    const DirectoryProblem wasWritable = writeProblem_;
    writeProblem_ = directory_write_problem(dataPath_);
    if (writeProblem_ != DirectoryProblem::None && (first || writeProblem_ != wasWritable)) {
        log_.LogEvent(WriteProblemText());
    } else if (writeProblem_ == DirectoryProblem::None && wasWritable != DirectoryProblem::None) {
        log_.LogEvent(std::string("Do datového adresáře "_cp) + dataPath_ +
                      std::string(" lze opět zapisovat"_cp));
    }
    return markState_ != MarkCheck::HeldElsewhere && writeProblem_ == DirectoryProblem::None;
}

std::string DataPathGuard::Problem() const {
    std::string text = MarkProblemText();
    if (writeProblem_ != DirectoryProblem::None) {
        text += (text.empty() ? "" : "; ") + WriteProblemText();
    }
    return text;
}

} // namespace kelmora

// A program started by a test (or a benchmark): its own working directory and
// environment, standard error into a file, stopped by a signal, waited for.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kelmora::testing {

class ChildProcess {
public:
    // Starts `program` with `arguments` in `directory`; `environment` entries
    // ("NAME=value") are added to the test's own. Standard error goes to
    // `errorFile`, standard output to `outputFile` (else nowhere); without an
    // error file, standard input, output and error are closed.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& directory, const std::vector<std::string>& environment,
                 const std::string& errorFile, const std::string& outputFile = "") {
        std::vector<std::string> args = {program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env = environment;
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (errorFile.empty()) {
            for (const int fd : {0, 1, 2}) {
                posix_spawn_file_actions_addclose(&actions, fd);
            }
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
            posix_spawn_file_actions_addopen(&actions, 1,
                                             outputFile.empty() ? "/dev/null" : outputFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            Wait(5000);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    void Signal(int signal) {
        if (pid_ > 0 && !status_) {
            kill(pid_, signal);
        }
    }

    // The exit code (a normal exit), -1000 - n for death by signal n, or
    // nothing when it is still running after `limitMs`.
    std::optional<int> Wait(int limitMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!status_) {
            int raw = 0;
            const pid_t r = waitpid(pid_, &raw, WNOHANG);
            if (r == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000 - WTERMSIG(raw);
                break;
            }
            if (std::chrono::steady_clock::now() > end) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return status_;
    }

    // The resident memory in kB, from /proc; 0 when it cannot be read.
    long ResidentKb() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::strtol(line.c_str() + 6, nullptr, 10);
            }
        }
        return 0;
    }

    // Processor time (user + system) in milliseconds, from /proc.
    long CpuMs() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string content((std::istreambuf_iterator<char>(stat)), {});
        const auto close = content.rfind(')');
        if (close == std::string::npos) {
            return 0;
        }
        std::istringstream fields(content.substr(close + 2));
        std::string field;
        long utime = 0;
        long stime = 0;
        for (int i = 3; fields >> field; ++i) {
            if (i == 14) {
                utime = std::strtol(field.c_str(), nullptr, 10);
            } else if (i == 15) {
                stime = std::strtol(field.c_str(), nullptr, 10);
                break;
            }
        }
        return (utime + stime) * 1000 / sysconf(_SC_CLK_TCK);
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

} // namespace kelmora::testing

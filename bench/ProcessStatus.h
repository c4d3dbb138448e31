#pragma once
// Memory figures of a process, as Linux's /proc gives them, for benches that
// report peaks.
#include <fstream>
#include <string>

// A "Vm…:" line of a process's status ("self" or a pid), in MiB; 0 once the
// process is gone.
inline double statusMiB(const std::string& process, const char* field)
{
    std::ifstream status("/proc/" + process + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::char_traits<char>::length(field))) / 1024.0;
    }
    return 0.0;
}

// Starts the process's peak ("VmHWM:") afresh from what it holds now, so that
// a bench reports the peak of its own steps, not of what ran before.
inline void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

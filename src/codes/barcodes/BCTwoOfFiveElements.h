// The wide (W) and narrow (N) elements of each digit, shared by both 2 of 5 symbologies.
#pragma once

namespace ql {

inline constexpr const char* BCTwoOfFiveElements[10] = {
    "NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW", "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN",
};

} // namespace ql

// Reading a results file back: the candidate's name and every test with its
// answer. The reader is strict, because a file that is not what the program
// writes must be named, never half counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace labstats {

enum class TAnswer { PreferA, PreferB, NoPreference };

struct TJudgement {
    std::int32_t nExcerptA = 0;
    std::int32_t nExcerptB = 0;
    TAnswer answer = TAnswer::NoPreference;
};

struct TResultsFile {
    std::string strName;                // the candidate's name, as written
    std::vector<TJudgement> judgements; // in the order run
    bool bOk = false;
    int nBadLine = 0;                   // where the fault is, counted from 1 (0: the file as a whole)
    std::string strReason;              // in Italian, for the experimenter
};

// The file's bytes, split into lines the way the program's loaders split them.
TResultsFile ParseResults(const std::string& bytes);

// Reads the file at strPath; a file that cannot be read is a fault of line 0.
TResultsFile ReadResultsFile(const std::string& strPath);

}  // namespace labstats

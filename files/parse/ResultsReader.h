// Reading a results file back: the candidate's name and every test with its
// answer and comment. The lab tools read finished results with it, the session
// start the journal of an interrupted session. The reader is strict, because a
// file that is not what the program writes must be named, never half counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TAnswer { PreferA, PreferB, NoPreference };

struct TJudgement {
    std::int32_t nExcerptA = 0;
    std::int32_t nExcerptB = 0;
    TAnswer answer = TAnswer::NoPreference;
    std::string strNotes{};  // the comment as written: everything after the fifth tab
};

struct TResultsFile {
    std::string strName;                // the candidate's name, as written
    std::vector<TJudgement> judgements; // in the order run
    bool bOk = false;
    int nBadLine = 0;                   // where the fault is, counted from 1 (0: the file as a whole)
    std::string strReason;              // in Italian, for the experimenter
    bool bTornLineLeftOut = false;      // a journal's last line was not whole and is not counted
};

// How the bytes end. A results file may lack its last line break (an editor
// saved it so). A journal is written whole with CR LF after every line, so
// what follows its last CR LF, or a last line that does not read, is a line a
// crash or a power cut tore: it is left out, and the lines before it count.
enum class TResultsEnd { AsWritten, Journal };

// The file's bytes, split into lines the way the program's loaders split them.
TResultsFile ParseResults(const std::string& bytes, TResultsEnd end = TResultsEnd::AsWritten);

// Reads the file at strPath; a file that cannot be read is a fault of line 0.
TResultsFile ReadResultsFile(const std::string& strPath, TResultsEnd end = TResultsEnd::AsWritten);

// Starting a session at scale: a playlist of 10,000 entries (2,500 four-channel
// excerpts) and 100,000 tests, then 100,000 entries and 1,000,000 tests. Prints
// the seconds the GUI thread spends in "&Nuova Sessione ..." from the dialog's
// OK to the first test on show, the seconds the debug window then takes to show
// the log in one piece, and the heap bytes per test record: those of the test
// list alone, and the whole session start's growth (playlist, tests, log)
// divided by the tests. Runs the real main window, offscreen, on virtual outputs.
#include <malloc.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/TFormMain.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/report/Report.h"
#include "session/TFormSessionSettings.h"
#include "windows/TFormDebug.h"

namespace {

// Bytes in use on the heap, the large blocks malloc maps on their own included.
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void WriteWave(const std::string& strPath) {
    std::ofstream out(strPath, std::ios::binary);
    const unsigned char header[44] = {'R', 'I', 'F', 'F', 36 + 200, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                      16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0, 2, 0, 16, 0,
                                      'd', 'a', 't', 'a', 200, 0, 0, 0};
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(std::string(200, '\0').data(), 200);
}

// The session's files: every entry names its own file, but only the four of
// the first two excerpts exist (the first test compares them).
void WriteSession(const QTemporaryDir& dir, int nEntries, int nTests) {
    const int nExcerpts = nEntries / 4;
    std::ofstream list(dir.filePath("s.lst").toStdString(), std::ios::binary);
    list << "SONDARIUM PLAYLIST\r\nCHANNELS=4\r\n";
    for (int e = 0; e < nEntries; ++e) {
        const std::string strPath = dir.filePath(QString("e%1.wav").arg(e)).toStdString();
        if (e < 8) WriteWave(strPath);
        list << strPath << "\r\n";
    }
    std::ofstream combs(dir.filePath("s.cmb").toStdString(), std::ios::binary);
    combs << "SONDARIUM COMBINATIONS\r\nNBCOMBINATIONS:" << nTests << "\r\nCOMBINATIONS";
    for (int t = 0; t < nTests; ++t) combs << "\r\n" << (t % nExcerpts) + 1 << '\t' << ((t * 7 + 1) % nExcerpts) + 1;
}

void Run(int nEntries, int nTests) {
    QTemporaryDir dir;
    WriteSession(dir, nEntries, nTests);
    TFormMain form;
    form.FormCreate();
    TFormSessionSettings* dlg = FormSessionSettings;
    dlg->EditNomeCandidato->setText("Bench");
    dlg->EditFilePlayList->setText(dir.filePath("s.lst"));
    dlg->EditFileCombinations->setText(dir.filePath("s.cmb"));
    dlg->EditFileResults->setText(dir.filePath("r.txt"));

    const std::size_t nHeapBefore = HeapInUse();
    std::chrono::steady_clock::time_point t0;
    QTimer::singleShot(0, dlg, [&] {
        t0 = std::chrono::steady_clock::now();
        dlg->ButtonOk->click();
    });
    form.NewSession();
    const double dStart = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const std::size_t nHeapAfter = HeapInUse();

    const auto t1 = std::chrono::steady_clock::now();
    FormDebug->show();
    QApplication::processEvents();
    const double dShow = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();

    const double dRecord =
        double(form.m_Combinations.capacity() * sizeof(TTrackCombs)) / double(form.m_Combinations.size());
    std::printf("%7d entries, %8d tests: session start %.3f s, debug window shown %.3f s, "
                "%.0f bytes per test record (%.0f with playlist and log)%s\n",
                nEntries, nTests, dStart, dShow, dRecord, double(nHeapAfter - nHeapBefore) / nTests,
                form.m_nCurrentTest == 0 && form.m_Combinations.size() == std::size_t(nTests) ? "" : "  NOT STARTED");
    FormDebug->hide();
    form.FormClose();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    MessageObserver observer;  // a message would stop the clock for a person to answer
    Run(10000, 100000);
    Run(100000, 1000000);
    for (const ShownMessage& m : observer.messages) std::printf("message: %s\n", m.text.c_str());
    return 0;
}

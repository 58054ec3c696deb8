#include "SessionRig.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "session/TFormSessionSettings.h"
#include "tests/common/WavBuilder.h"

namespace sessiontest {

std::int16_t ExcerptValue(int k, int c) { return static_cast<std::int16_t>(1000 * k + 100 * (c + 1)); }

SessionRig::SessionRig(std::vector<audio::OutputInfo> outputs) {
    QApplication::processEvents();
    vb = audio::VirtualBackend::Install(std::move(outputs));
    form = std::make_unique<TFormMain>();
    form->FormCreate();
    form->TimerFade->stop();
    form->TimerPos->stop();
}

SessionRig::~SessionRig() {
    form.reset();
    audio::SetBackend(nullptr);
}

std::string SessionRig::Path(const std::string& strName) const { return dir.filePath(QString::fromStdString(strName)).toStdString(); }

void SessionRig::WriteFile(const std::string& strName, const std::string& strBytes) const {
    std::ofstream out(Path(strName), std::ios::binary);
    out << strBytes;
}

std::string SessionRig::ReadFile(const std::string& strName) const {
    std::ifstream in(Path(strName), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void SessionRig::WriteSession(int nChannels, int nExcerpts, const std::vector<std::pair<int, int>>& tests) {
    std::string list = "SONDARIUM PLAYLIST\r\nCHANNELS=" + std::to_string(nChannels) + "\r\n";
    const wavbuild::Format mono{1, 1, 44100, 16};
    for (int k = 1; k <= nExcerpts; ++k) {
        for (int c = 0; c < nChannels; ++c) {
            const std::string name = "e" + std::to_string(k) + "c" + std::to_string(c) + ".wav";
            wavbuild::Bytes samples;
            for (int i = 0; i < 4410; ++i) wavbuild::PutU16(samples, static_cast<std::uint16_t>(ExcerptValue(k, c)));
            const wavbuild::Bytes image = wavbuild::Wave(mono, samples);
            WriteFile(name, std::string(image.begin(), image.end()));
            list += Path(name) + "\r\n";
        }
    }
    std::string combs = "SONDARIUM COMBINATIONS\r\nNBCOMBINATIONS:" + std::to_string(tests.size()) + "\r\nCOMBINATIONS";
    for (const auto& [a, b] : tests) combs += "\r\n" + std::to_string(a) + "\t" + std::to_string(b);
    WriteFile("session.lst", list);
    WriteFile("session.cmb", combs);
    settings.playlist = Path("session.lst");
    settings.combinations = Path("session.cmb");
    settings.results = Path("results.txt");
}

void SessionRig::StartSession(bool bConfirm) {
    TFormSessionSettings* dlg = FormSessionSettings;
    const Settings s = settings;
    QTimer::singleShot(0, dlg, [dlg, s, bConfirm] {
        dlg->EditNomeCandidato->setText(QString::fromStdString(s.name));
        dlg->EditFilePlayList->setText(QString::fromStdString(s.playlist));
        dlg->EditFileCombinations->setText(QString::fromStdString(s.combinations));
        dlg->EditFileResults->setText(QString::fromStdString(s.results));
        (bConfirm ? dlg->ButtonOk : dlg->ButtonCancel)->click();
    });
    form->FileLoadPlaylist->trigger();
}

void SessionRig::Submit(int nAnswer, const std::string& strNotes) {
    QRadioButton* choice[] = {form->RadioButtonA, form->RadioButtonB, form->RadioButtonNS};
    choice[nAnswer]->click();
    form->EditNotes->setText(QString::fromStdString(strNotes));
    form->BitBtnNextTest->click();
}

void SessionRig::Tick(int n) {
    for (int i = 0; i < n; ++i) form->TimerFadeTimer();
}

}  // namespace sessiontest

#include "playback/OutputWatch.h"

#include <algorithm>
#include <cstdio>

#include "platform/audio/DSound.h"
#include "sound/SoundOutput.h"

namespace {
const char* const LOG_PREFIX = "OutputWatch: ";
}

void TOutputWatch::BeginSession() {
    m_States.clear();
    m_Affected.clear();
}

std::vector<TOutputDown> TOutputWatch::Poll(int nTest, const std::vector<TOutputStatus>& statuses) {
    std::vector<TOutputDown> down;
    for (const TOutputStatus& s : statuses) {
        if (s.hr == S_FALSE) continue;
        TState& state = m_States[s.strName];
        if (FAILED(s.hr)) {
            if (!state.bDown) {
                state = {true, nTest, {}};
                const std::string strReason = ReasonFor(s.hr);
                m_Log.push_back(LOG_PREFIX + std::string("l'uscita \"") + s.strName + "\" non suona più dal test " +
                                std::to_string(nTest) + " (" + strReason + ")");
                down.push_back({s.strName, strReason, nTest});
            }
            state.tests.insert(nTest);
            m_Affected.insert(nTest);
        } else if (state.bDown) {
            Closed(s.strName, state, "suona di nuovo dal test " + std::to_string(nTest));
        }
    }
    return down;
}

void TOutputWatch::Closed(const std::string& strName, TState& state, const std::string& strHow) {
    m_Log.push_back(LOG_PREFIX + std::string("l'uscita \"") + strName + "\" " + strHow + "; era guasta durante " +
                    (state.tests.size() == 1 ? "il test " : "i test ") + TestList(state.tests));
    state = {};
}

void TOutputWatch::EndSession() {
    for (auto& [strName, state] : m_States) {
        if (state.bDown) Closed(strName, state, "è ancora guasta alla fine della sessione");
    }
}

std::vector<std::string> TOutputWatch::TakeLogLines() {
    std::vector<std::string> lines;
    lines.swap(m_Log);
    return lines;
}

std::string TOutputWatch::CompletionText(const std::string& strCompletion) const {
    if (m_Affected.empty()) return strCompletion;
    // The label holds one line: a shorter text, and the debug log has the full list.
    return std::string(" Sessione completata, ma un'uscita audio era muta ") +
           (m_Affected.size() == 1 ? "nel test " : "nei test ") + TestList(m_Affected, COMPLETION_GROUPS) + ".";
}

std::string TOutputWatch::WarningText(const TOutputDown& down) {
    return "Attenzione!\nL'uscita audio \"" + down.strName + "\" ha smesso di suonare durante il test " +
           std::to_string(down.nTest) + ":\n" + down.strReason +
           ".\n\nFinché non torna, il suo altoparlante resta muto.\n"
           "Verificare il collegamento; i test coinvolti vengono annotati nel log.";
}

std::string TOutputWatch::ReasonFor(HRESULT hr) {
    if (hr == DSERR_NODRIVER) return "il dispositivo è scollegato o non è più disponibile";
    if (hr == DSERR_BUFFERLOST) return "il buffer audio è andato perso";
    if (hr == DSERR_OUTOFMEMORY) return "memoria esaurita";
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return std::string("l'uscita non accetta più il suono (errore di scrittura, codice ") + code + ")";
}

HRESULT OutputStatusOf(CSound* pSnd) {
    LPDIRECTSOUNDBUFFER pBuf = pSnd ? pSnd->GetBuffer(0) : nullptr;
    if (!pBuf) return S_FALSE;
    DWORD dwStatus = 0;
    if (const HRESULT hr = pBuf->GetStatus(&dwStatus); FAILED(hr)) return hr;
    if (dwStatus & DSBSTATUS_BUFFERLOST) return DSERR_BUFFERLOST;
    // A failed stream shows in the buffer's position, which the service asks of it.
    DWORD dwPlay = 0, dwWrite = 0;
    if (const HRESULT hr = pBuf->GetCurrentPosition(&dwPlay, &dwWrite); FAILED(hr)) return hr;
    return DS_OK;
}

std::vector<TOutputStatus> OutputStatuses(const TVecSndTrack& Tracks) {
    std::vector<TOutputStatus> out;
    for (const TSndTrack& track : Tracks) {
        HRESULT hr = OutputStatusOf(track.apSound[0]);
        if (hr == S_FALSE) hr = OutputStatusOf(track.apSound[1]);
        auto it = std::find_if(out.begin(), out.end(), [&](const TOutputStatus& s) { return s.strName == track.strDescription; });
        if (it == out.end()) {
            out.push_back({track.strDescription, hr});
        } else if (FAILED(hr) || it->hr == S_FALSE) {
            it->hr = hr;
        }
    }
    return out;
}

std::string TestList(const std::set<int>& tests, std::size_t nMaxGroups) {
    std::string out;
    std::size_t nGroups = 0;
    for (auto it = tests.begin(); it != tests.end();) {
        if (nMaxGroups && nGroups++ == nMaxGroups) return out + ", ecc";
        int first = *it, last = *it;
        while (++it != tests.end() && *it == last + 1) last = *it;
        if (!out.empty()) out += ", ";
        out += std::to_string(first);
        if (last > first) out += (last == first + 1 ? ", " : "-") + std::to_string(last);
    }
    return out;
}

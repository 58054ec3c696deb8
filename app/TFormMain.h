// TFormMain: the test window the candidate sits at. It owns the secondary
// windows, the session (TSession: playlist, tests, answers) and the track set
// (TTrackSet: the four tracks, their sounds, the playback state). Its
// operations are thin members that move values between the widgets and those
// two, one file per concern in app/:
//   TFormMain.cpp, FormLayout.cpp   lifecycle, layout, centring rule, control states
//   SessionController.cpp           the session controller
//   SessionFiles.cpp                loaders and results writer
//   Playback.cpp                    devices and tracks, A/B crossfade, transport
//   ChannelSetup.cpp, Diagnostics.cpp   channel setup command, debug log dumps
// Everything runs on the GUI thread. docs/ARCHITECTURE.md draws the layers,
// which way includes go, and who owns each pointer.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "files/TrackCombs.h"
#include "platform/WinTypes.h"
#include "playback/SndTrack.h"
#include "playback/TrackSet.h"
#include "session/Session.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class TSpeedButton;

// Scroll codes of the position bar's scroll event.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };

constexpr DWORD BYTES_PER_SECOND = 176400;  // 44100 Hz x 2 channels x 2 bytes

class TFormMain : public QMainWindow {
public:
    explicit TFormMain(QWidget* owner = nullptr);
    ~TFormMain() override;

    // ---- form data (app/) ----
    QFrame* Panel3 = nullptr;
    QLabel* LabelInfo = nullptr;
    QFrame* PanelClient = nullptr;
    TSpeedButton* SpeedButtonA = nullptr;
    TSpeedButton* SpeedButtonB = nullptr;
    QRadioButton* RadioButtonA = nullptr;
    QRadioButton* RadioButtonB = nullptr;
    QRadioButton* RadioButtonNS = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditNotes = nullptr;
    QPushButton* BitBtnNextTest = nullptr;
    QFrame* PanelTopBack = nullptr;
    QFrame* PanelTop = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* LabelPosition = nullptr;
    QPushButton* ButtonRewind = nullptr;
    QScrollBar* ScrollBarTrackPos = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* FileLoadPlaylist = nullptr;
    QAction* FileExit = nullptr;
    QMenu* Setup1 = nullptr;
    QAction* SetupAmbisonic = nullptr;
    QMenu* Help1 = nullptr;
    QAction* HelpAbout = nullptr;
    QMenu* Debug1 = nullptr;
    QAction* DebugDebugForm = nullptr;
    QAction* DebugGetSoundBufferCaps = nullptr;
    QTimer* TimerFade = nullptr;
    QTimer* TimerPos = nullptr;

    // ---- state: the core, and its fields under the names the window knows ----
    TSession m_Session;
    TTrackSet m_TrackSet;
    std::int32_t& m_nCurrentTest = m_Session.m_nCurrentTest;
    std::int32_t& m_nChannels = m_Session.m_nChannels;
    bool& m_bStopped = m_TrackSet.m_bStopped;
    TVecSndTrack& m_Tracks = m_TrackSet.m_Tracks;
    TPlayState& m_PlayState = m_TrackSet.m_PlayState;
    std::unique_ptr<TStringList>& m_pPlayList = m_Session.m_pPlayList;
    TVecCombinations& m_Combinations = m_Session.m_Combinations;
    std::int32_t& m_nVolumeA = m_TrackSet.m_nVolumeA;
    std::int32_t& m_nVolumeB = m_TrackSet.m_nVolumeB;

    // ---- shell (app/) ----
    void FormCreate();
    void InitMainWindow();
    void EnableTestControls(bool bEnable);
    void FormClose();
    void ReleaseDevices();
    void FileExitClick();
    void FormCanResize();
    void HelpAboutClick();
    void DebugDebugFormClick();

    // ---- session controller (session/) ----
    void FileLoadPlaylistClick();
    void NewSession();
    void ResetSession();
    bool CheckCombinations();
    bool PrepareTest(int n);
    void ShowTestInfo();
    void NextTest();
    void BitBtnNextTestClick();
    void RadioButtonChoicesClick();

    // ---- session files (files/) ----
    bool LoadPlaylist(const std::string& strFileName);
    bool LoadCombinations(const std::string& strFileName);
    void SaveResults();
    // The candidate's name as the settings dialog holds it now.
    std::string CandidateName() const;
    // The debug window's log, or null before it exists.
    TLogBuffer* DebugLog() const;

    // ---- devices and tracks (playback/) ----
    void EnumerateDevices(TVecSndGuid& VecDevices);
    void SetupTracks(TVecSndGuid& VecDevices);
    bool CreateTrackSound(CSound** ppSound, const std::string& strFileName, int nTrack);

    // ---- A/B switching and crossfade (playback/) ----
    void SpeedButtonAClick();
    void SpeedButtonBClick();
    void PlayAll();
    void StopAll();
    void TimerFadeTimer();
    void FadeStep();

    // ---- transport (playback/) ----
    void TimerPosTimer();
    void UpdatePosition();
    DWORD GetPlayPosition(CSound* pSnd);
    DWORD GetBufferLength(CSound* pSnd);
    void SetupPositionBar();
    void ScrollBarTrackPosScroll(TScrollCode ScrollCode, int& ScrollPos);
    void SeekAll(LONG lOffset);
    void ButtonRewindClick();
    void Rewind();

    // ---- auxiliary windows and diagnostics (windows/) ----
    void SetupAmbisonicClick();
    void RunChannelSetup();
    void DumpDevices(const TVecSndGuid& VecDevices);
    void DumpPlaylist();
    void DumpCombinations();
    void DebugGetSoundBufferCapsClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Watches the client area's size changes (maximise and restore included).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void BuildMenu();
    void ConnectEvents();
    void AlignPanels();      // Panel3 to the bottom edge, PanelTopBack to the top
    void ScrollBarEvent(TScrollCode ScrollCode);
    // The last test is answered: controls off, the completion text, the results.
    void CompleteSession();
    QWidget* m_pClientArea = nullptr;
    bool m_bCreated = false;      // FormCreate has run
    bool m_bClosed = false;       // FormClose has run
    bool m_bTerminating = false;  // "&Esci" asked the loop to end
};

class TFormSplashScreen;
class TFormDebug;
class TFormAmbisonicSetup;
class TFormSessionSettings;

extern TFormMain* FormMain;
extern TFormSplashScreen* FormSplashScreen;
extern TFormDebug* FormDebug;
extern TFormAmbisonicSetup* FormAmbisonicSetup;
extern TFormSessionSettings* FormSessionSettings;

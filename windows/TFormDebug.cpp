#include "windows/TFormDebug.h"

TFormDebug::TFormDebug(QWidget* owner) : QWidget(owner, Qt::Window) {}
void TFormDebug::AppendLine(const std::string&) {}
void TFormDebug::ClearLog() {}
std::vector<std::string> TFormDebug::Lines() const { return {}; }
void TFormDebug::Button1Click() { ClearLog(); }
void TFormDebug::Button2Click() {}

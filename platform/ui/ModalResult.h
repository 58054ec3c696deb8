// Modal results of the program's dialogs: OK is 1 and Cancel 2, as the
// toolkit's dialogs report them through QDialog::done.
#pragma once

constexpr int mrOk = 1;
constexpr int mrCancel = 2;

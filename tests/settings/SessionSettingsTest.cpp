// The session settings dialog driven headless: its form, its file dialogs,
// validation, modal results and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include "common/FileDialogDriver.h"
#include "platform/ui/Messages.h"
#include "session/TFormSessionSettings.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : form(nullptr) { form.BuildControls(); }
    // Runs the dialog modally; while it is up, during runs and its result is returned.
    int RunModal(const std::function<void()>& during) {
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(QApplication::activeModalWidget(), &form);
            during();
        });
        return form.ShowModal();
    }
    void Fill(const char* name, const char* playlist, const char* combinations, const char* results) {
        form.EditNomeCandidato->setText(name);
        form.EditFilePlayList->setText(playlist);
        form.EditFileCombinations->setText(combinations);
        form.EditFileResults->setText(results);
    }
    QStringList Fields() const {
        return {form.EditNomeCandidato->text(), form.EditFilePlayList->text(), form.EditFileCombinations->text(),
                form.EditFileResults->text()};
    }
    MessageObserver observer;
    TFormSessionSettings form;
};

TEST_F(SettingsTest, FormAndTabOrder) {
    EXPECT_EQ(form.windowTitle(), " Sondarium :  Impostazioni di sessione");
    EXPECT_EQ(form.size(), QSize(493, 366));
    EXPECT_EQ(form.font().pixelSize(), 11);
    const QWidget* const expected[] = {form.EditFilePlayList,     form.BitBtnFilePlaylist,     form.ButtonOk,
                                       form.ButtonCancel,         form.EditFileResults,        form.BitBtnFileResults,
                                       form.EditFileCombinations, form.BitBtnFileCombinations, form.EditNomeCandidato};
    std::vector<const QWidget*> order;
    const QWidget* w = form.EditFilePlayList;
    do {
        if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form.EditFilePlayList && order.size() < 20);
    EXPECT_EQ(order, std::vector<const QWidget*>(std::begin(expected), std::end(expected)));
}

struct ValidationCase {
    const char* name;
    const char* fields[4];  // name, playlist, combinations, results
    const char* message;    // null: accepted
};

void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

const ValidationCase kValidation[] = {
    {"AllEmpty", {"", "", "", ""}, "Errore nel campo 'Nome e Cognome del candidato' "},
    {"PlaylistEmpty", {"Ada", "", "", ""}, "Errore nel campo 'File della playlist' "},
    {"CombinationsEmpty", {"Ada", "p.lst", "", ""}, "Errore nel campo 'File delle combinazioni' "},
    {"ResultsEmpty", {"Ada", "p.lst", "c.cmb", ""}, "Errore nel campo 'File di output (risultati)' "},
    {"BlanksAndMissingFilesPass", {"   ", " ", "/non/esiste.cmb", "/non/esiste.txt"}, nullptr},
};

class ValidationTest : public SettingsTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(ValidationTest, OkChecksTheFieldsInOrder) {
    const ValidationCase& c = GetParam();
    Fill(c.fields[0], c.fields[1], c.fields[2], c.fields[3]);
    const QStringList before = Fields();
    bool bVisibleAtMessage = false;
    observer.onMessage = [&](const ShownMessage&) { bVisibleAtMessage = form.isVisible(); };
    const int result = RunModal([&] {
        form.ButtonOk->click();
        if (form.isVisible()) form.ButtonCancel->click();
    });
    EXPECT_EQ(Fields(), before);
    if (!c.message) {
        EXPECT_EQ(result, mrOk);
        EXPECT_TRUE(observer.messages.empty());
        return;
    }
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_EQ(observer.messages[0].text, c.message);
    EXPECT_EQ(observer.messages[0].caption, "Sondarium");
    EXPECT_EQ(observer.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(observer.messages[0].beepBefore);
    EXPECT_TRUE(bVisibleAtMessage);
}

INSTANTIATE_TEST_SUITE_P(Fields, ValidationTest, ::testing::ValuesIn(kValidation),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, BrowseConfirmedReplacesTheFieldCancelledKeepsIt) {
    QTemporaryDir dir;
    QFile existing(QDir(dir.path()).filePath("esistente.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const struct {
        QPushButton* button;
        QLineEdit* edit;
        const char* title;
        const char* typed;
        const char* chosen;
    } browses[] = {
        {form.BitBtnFilePlaylist, form.EditFilePlayList, "Sondarium :  Playlist", "nuova", "nuova.lst"},
        {form.BitBtnFileCombinations, form.EditFileCombinations, "Sondarium : Combinazioni", "prova.cmb", "prova.cmb"},
        {form.BitBtnFileResults, form.EditFileResults, "Sondarium : Results", "esistente.txt", "esistente.txt"},
        {form.BitBtnFileResults, form.EditFileResults, "Sondarium : Results", "esistente", "esistente.txt"},
    };
    for (const auto& b : browses) {
        b.edit->setText("vecchio");
        FileDialogDriver driver;
        driver.Cancel();
        driver.Accept(b.typed, dir.path());
        b.button->click();
        EXPECT_EQ(b.edit->text(), "vecchio") << b.typed;
        b.button->click();
        EXPECT_EQ(b.edit->text(), QDir(dir.path()).filePath(b.chosen)) << b.typed;
        EXPECT_EQ(driver.titles, QStringList({b.title, b.title}));
        EXPECT_EQ(driver.Pending(), 0);
    }
}

TEST_F(SettingsTest, CancelKeepsWhatWasTypedForTheNextUse) {
    const int first = RunModal([&] {
        Fill("Ada Lovelace", "p.lst", "", "r.txt");
        form.ButtonCancel->click();
    });
    EXPECT_EQ(first, mrCancel);
    QStringList seen;
    const int second = RunModal([&] {
        seen = Fields();
        form.EditFileCombinations->setText("c.cmb");
        form.ButtonOk->click();
    });
    EXPECT_EQ(seen, QStringList({"Ada Lovelace", "p.lst", "", "r.txt"}));
    EXPECT_EQ(second, mrOk);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SettingsTest, EnterAndEscapePressNoButtonAndDoNotClose) {
    Fill("Ada", "p.lst", "c.cmb", "r.txt");
    // A key that pressed a browse button would open its file dialog: answered
    // here, so that it shows up as a failure instead of waiting for a person.
    FileDialogDriver driver;
    for (int i = 0; i < 12; ++i) driver.Cancel();
    bool bStillOpen = true;
    const int result = RunModal([&] {
        for (QWidget* target : {static_cast<QWidget*>(form.EditNomeCandidato), static_cast<QWidget*>(form.ButtonOk),
                                static_cast<QWidget*>(form.ButtonCancel), static_cast<QWidget*>(&form)}) {
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                target->setFocus();
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
                QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
                QApplication::sendEvent(target, &release);
                bStillOpen = bStillOpen && form.isVisible();
            }
        }
        form.close();  // the close box gives Cancel
    });
    EXPECT_TRUE(bStillOpen);
    EXPECT_TRUE(driver.titles.isEmpty());
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(observer.messages.empty());
}

}  // namespace

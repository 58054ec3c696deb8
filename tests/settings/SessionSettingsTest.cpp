// The session settings dialog driven headless: its form, its file dialogs,
// validation, modal results and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
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
    SettingsTest() : form(nullptr) {}
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

TEST_F(SettingsTest, FormDataAndTabOrder) {
    EXPECT_EQ(form.windowTitle(), " Sondarium :  Impostazioni di sessione");
    EXPECT_EQ(form.size(), QSize(493, 366));
    EXPECT_EQ(form.font().pixelSize(), 11);
    const struct {
        QWidget* widget;
        QRect geometry;
        QString text;
    } controls[] = {
        {form.Bevel1, {14, 19, 466, 276}, {}},
        {form.EditNomeCandidato, {30, 67, 280, 21}, {}},
        {form.EditFilePlayList, {30, 119, 400, 21}, {}},
        {form.BitBtnFilePlaylist, {437, 117, 25, 25}, "..."},
        {form.EditFileCombinations, {30, 176, 400, 21}, {}},
        {form.BitBtnFileCombinations, {437, 174, 25, 25}, "..."},
        {form.EditFileResults, {30, 236, 400, 21}, {}},
        {form.BitBtnFileResults, {438, 234, 25, 25}, "..."},
        {form.ButtonOk, {173, 321, 75, 25}, "&Ok"},
        {form.ButtonCancel, {266, 321, 75, 25}, "&Cancel"},
    };
    for (const auto& c : controls) {
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->metaObject()->className() << " " << c.text.toStdString();
        if (auto* button = qobject_cast<QPushButton*>(c.widget)) {
            EXPECT_EQ(button->text(), c.text);
            EXPECT_FALSE(button->isDefault() || button->autoDefault());
        }
    }
    const struct {
        QLabel* label;
        QPoint pos;
        const char* text;
    } labels[] = {{form.Label4, {35, 50}, "Nome e Cognome del candidato :"},
                  {form.Label1, {35, 103}, "File della playlist :"},
                  {form.Label3, {35, 159}, "File delle combinazioni :"},
                  {form.Label2, {36, 219}, "File di output (risultati) :"}};
    for (const auto& l : labels) {
        EXPECT_EQ(l.label->pos(), l.pos) << l.text;
        EXPECT_EQ(l.label->text(), l.text);
    }

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

TEST_F(SettingsTest, FileDialogsCarryTitleFilterAndExtension) {
    const struct {
        QFileDialog* dialog;
        const char* title;
        const char* filter;
        const char* suffix;
        bool save;
    } dialogs[] = {
        {form.OpenDialogPlaylist, "Sondarium :  Playlist", "File della Playlist (*.lst)", "lst", false},
        {form.OpenDialogCombinations, "Sondarium : Combinazioni", "File delle Combinazioni (*.cmb)", "cmb", false},
        {form.SaveDialogResults, "Sondarium : Results", "Sondarium Results (*.txt)", "txt", true},
    };
    for (const auto& d : dialogs) {
        EXPECT_EQ(d.dialog->windowTitle(), d.title);
        EXPECT_EQ(d.dialog->nameFilters(), QStringList{d.filter});
        EXPECT_EQ(d.dialog->defaultSuffix(), d.suffix);
        EXPECT_EQ(d.dialog->acceptMode(), d.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(d.dialog->fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(d.dialog->testOption(QFileDialog::DontConfirmOverwrite), d.save);
    }
}

struct ValidationCase {
    const char* name;
    const char* fields[4];  // name, playlist, combinations, results
    const char* message;    // null: accepted
};

void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

const ValidationCase kValidation[] = {
    {"AllEmpty", {"", "", "", ""}, "Errore nel campo 'Nome e Cognome del candidato' "},
    {"OnlyNameEmpty", {"", "p.lst", "c.cmb", "r.txt"}, "Errore nel campo 'Nome e Cognome del candidato' "},
    {"PlaylistEmpty", {"Ada", "", "", ""}, "Errore nel campo 'File della playlist' "},
    {"CombinationsEmpty", {"Ada", "p.lst", "", ""}, "Errore nel campo 'File delle combinazioni' "},
    {"ResultsEmpty", {"Ada", "p.lst", "c.cmb", ""}, "Errore nel campo 'File di output (risultati)' "},
    {"BlanksPass", {"   ", " ", " ", " "}, nullptr},
    {"MissingFilesPass", {"Ada", "/non/esiste.lst", "/non/esiste.cmb", "/non/esiste.txt"}, nullptr},
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

#pragma once
// A dialog seam that answers at once with what the test set, and records what was asked.
// Installed for its lifetime.
#include <deque>
#include <string>
#include <vector>

#include "ui/dialog_seam.h"

namespace quillmix::test {

class FakeDialogs : public DialogSeam {
public:
    FakeDialogs() { setDialogSeam(this); }
    ~FakeDialogs() override { setDialogSeam(nullptr); }

    // Answers, used in order; an empty queue answers "cancelled" (or OK for questions).
    std::deque<QStringList> files;
    std::deque<QString> saveNames;
    std::deque<QString> folders;
    std::deque<bool> okCancel;
    std::deque<std::optional<DeckChoice>> decks;
    // What was shown or asked, as "title: text" (messages and questions) or the title.
    std::vector<std::string> asked;

    QStringList openFiles(QWidget*, const QString& title, const QString&) override { return take(files, title); }
    QString saveFile(QWidget*, const QString& title, const QString&, const QString&) override {
        return take(saveNames, title);
    }
    QString chooseFolder(QWidget*, const QString& title) override { return take(folders, title); }
    void showMessage(QWidget*, const QString& title, const QString& text) override {
        asked.push_back((title + ": " + text).toStdString());
    }
    bool askOkCancel(QWidget*, const QString& title, const QString& text) override {
        return take(okCancel, title + ": " + text, true);
    }
    std::optional<DeckChoice> selectDeck(QWidget*) override {
        return take(decks, "Select Deck", std::optional<DeckChoice>(DeckChoice::deckA));
    }

private:
    template <typename T>
    T take(std::deque<T>& answers, const QString& question, T otherwise = T()) {
        asked.push_back(question.toStdString());
        if (answers.empty()) return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace quillmix::test

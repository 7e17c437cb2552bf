#include "toolkit/test_seams.h"

#include <QFileDialog>
#include <deque>

#include "toolkit/language.h"

namespace dvdsp::tk {
namespace {
std::deque<ModalAnswer>& Modal() {
    static std::deque<ModalAnswer> q;
    return q;
}
std::deque<QString>& Files() {
    static std::deque<QString> q;
    return q;
}
testing::ModalObserver& Observer() {
    static testing::ModalObserver o;
    return o;
}
testing::UnansweredFileHandler& FileHandler() {
    static testing::UnansweredFileHandler h;
    return h;
}
}  // namespace

namespace testing {
void AnswerNextModal(int result) {
    Modal().push_back({result, nullptr});
}
void ActOnNextModal(std::function<void(Window&)> action) {
    Modal().push_back({0, std::move(action)});
}
bool TakeModalAnswer(ModalAnswer* out) {
    if (Modal().empty()) return false;
    *out = std::move(Modal().front());
    Modal().pop_front();
    return true;
}
void AnswerNextFileDialog(const QString& path) {
    Files().push_back(path);
}
bool TakeFileAnswer(QString* out) {
    if (Files().empty()) return false;
    *out = Files().front();
    Files().pop_front();
    return true;
}
void ClearAnswers() {
    Modal().clear();
    Files().clear();
}
int PendingModalAnswers() {
    return static_cast<int>(Modal().size());
}
void SetModalObserver(ModalObserver observer) {
    Observer() = std::move(observer);
}
ModalObserver CurrentModalObserver() {
    return Observer();
}
void SetUnansweredFileHandler(UnansweredFileHandler handler) {
    FileHandler() = std::move(handler);
}
}  // namespace testing

QString ChooseFile(FileChoice kind, QWidget* parent, const QString& title, const QString& filter) {
    QString answer;
    if (testing::TakeFileAnswer(&answer)) return answer;
    if (testing::UnansweredFileHandler handler = FileHandler(); handler && handler(title)) return {};
    if (kind == FileChoice::Open) return QFileDialog::getOpenFileName(parent, Lang(title), QString(), filter);
    return QFileDialog::getSaveFileName(parent, Lang(title), QString(), filter);
}

}  // namespace dvdsp::tk

// Six texts, typed by a hostile user into the window: every tooltip the
// window then shows (the warnings that quote a text, the notes of a press)
// must hold no tag but the plain-text paragraph Qt wraps it in, whatever the
// texts hold. Runs offscreen.
//
// The input is split at zero bytes into the six texts (missing ones empty).
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "window/form_fonts.hpp"
#include "window/main_window.hpp"

namespace {

flyback::window::MainWindow& Window() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "window_text_fuzzer";
        static char* argv[] = {name, nullptr};
        auto* application = new QApplication(argc, argv);
        flyback::window::SubstituteFormFonts();
        return application;
    }();
    static auto* window = [] {
        auto* created = new flyback::window::MainWindow;
        created->SetFaultReporter([](QWidget*, const flyback::window::FaultReport&) {});
        return created;
    }();
    (void)app;
    return *window;
}

void CheckTagsAreQts(const QString& richText) {
    static const QRegularExpression kTag(QStringLiteral("<[^>]*>?"));
    static const QRegularExpression kQtsOwn(
        QStringLiteral(R"(^(</?p( style='[^'<>]*')?>|<br ?/?>)$)"));
    for (const auto& tag : kTag.globalMatch(richText)) {
        if (!kQtsOwn.match(tag.captured()).hasMatch()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    flyback::window::MainWindow& window = Window();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (QLineEdit* input : window.Text1()) {
        const std::size_t end = rest.find('\0');
        const std::string_view text = rest.substr(0, end);
        input->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    for (int pass = 0; pass < 2; ++pass) {  // as typed, then after a press
        for (const QLineEdit* box : window.findChildren<QLineEdit*>()) {
            CheckTagsAreQts(box->toolTip());
        }
        window.Command1()->click();
    }
    return 0;
}

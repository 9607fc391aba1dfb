#pragma once

#include <string>

// Message boxes go through this interface so that every flow can be answered by a test.
namespace msg {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Information, Warning, Exclamation, Error, Stop };
enum class Answer { Ok, Yes, No, Cancel };

struct Request {
    std::string text;     // the message, as bytes (UTF-8 or Windows-1252 for shown labels)
    std::string caption;  // a caption of the message's own; empty: the program's title, as most boxes show
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    bool noByDefault = false;  // Enter answers No: for questions whose Yes cannot be taken back
};

}  // namespace msg

// Shows modal messages and returns the answer the person (or a test) gave.
class IMessages {
public:
    virtual ~IMessages() = default;
    // Shows the box modally and returns the button pressed (Cancel or Ok for a box closed otherwise).
    virtual msg::Answer Show(const msg::Request& request) = 0;

    // A plain box with the program's title as caption and an OK button.
    void Tell(const std::string& text, msg::Icon icon = msg::Icon::None) {
        Show({text, {}, msg::Buttons::Ok, icon});
    }
};

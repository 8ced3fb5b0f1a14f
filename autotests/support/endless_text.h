#pragma once

#include <streambuf>
#include <string>
#include <utility>

namespace ecuprobe::testing {

// The same text again and again, never ending, as /dev/zero or `yes` give it.
class EndlessText : public std::streambuf {
public:
    explicit EndlessText(std::string repeated) : text(std::move(repeated)) {}

protected:
    int_type underflow() override {
        setg(text.data(), text.data(), text.data() + text.size());
        return traits_type::to_int_type(text.front());
    }

private:
    std::string text;
};

}  // namespace ecuprobe::testing

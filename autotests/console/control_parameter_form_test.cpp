#include "console/control_parameter_form.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "case_names.h"
#include "console_ecu.h"

namespace ecuprobe::console::testing {
namespace {

using Field = ParameterField;

// The field's caption in the dialog, to name the cases by.
std::string_view fieldCaption(Field field) {
    for (const ParameterFieldInfo& info : parameterFields()) {
        if (info.field == field) {
            return info.caption;
        }
    }
    return {};
}

struct TextCase {
    std::map<Field, const char*> texts;  // on top of "0" in every field
    const char* message;
    std::optional<Field> field;
    friend void PrintTo(const TextCase& c, std::ostream* out) {
        for (const auto& [field, text] : c.texts) {
            *out << fieldCaption(field) << ' ';
            case_names::printText(text, out);
            *out << ' ';
        }
        *out << (c.texts.empty() ? "all 0" : "on 0");
    }
};

class ParameterTextCheck : public ::testing::TestWithParam<TextCase> {};

TEST_P(ParameterTextCheck, NamesTheFirstFieldThatDoesNotRead) {
    ParameterTexts texts;
    texts.fill("0");
    for (const auto& [field, text] : GetParam().texts) {
        texts[static_cast<std::size_t>(field)] = text;
    }
    const ParameterCheck check = readParameterTexts(texts);
    EXPECT_EQ(check.message, GetParam().message);
    EXPECT_EQ(check.field, GetParam().field);
    EXPECT_EQ(check.values.has_value(), check.valid());
}

constexpr const char* positive = "Please enter a positive integer.";
constexpr const char* number = "Please enter a number.";
constexpr const char* percent = "Please enter an integer between 0 and 100.";

INSTANTIATE_TEST_SUITE_P(
    Texts, ParameterTextCheck,
    ::testing::Values(
        TextCase{{}, "", std::nullopt},
        TextCase{{{Field::idleStepper, " +40 "}, {Field::rcod, " -0.1"}}, "", std::nullopt},
        TextCase{{{Field::idleStepper, "abc"}}, positive, Field::idleStepper},
        TextCase{{{Field::idleSpeed, "-5"}}, positive, Field::idleSpeed},
        TextCase{{{Field::idleSpeed, "99999999999"}}, positive, Field::idleSpeed},
        TextCase{{{Field::ignitionCorrection, "1,5"}}, number, Field::ignitionCorrection},
        TextCase{{{Field::rcod, "nan"}}, number, Field::rcod},
        TextCase{{{Field::rcok, "1e40"}}, number, Field::rcok},
        TextCase{{{Field::rcok, ""}}, number, Field::rcok},
        TextCase{{{Field::egrDegree, "150"}}, percent, Field::egrDegree},
        TextCase{
            {{Field::egrDegree, "200"}, {Field::purgeDegree, "101"}}, percent, Field::purgeDegree},
        TextCase{{{Field::rcok, "x"}, {Field::idleStepper, "y"}}, positive, Field::idleStepper}));

TEST(ParameterTexts, ShowTheLiveValuesAsTheDialogDoes) {
    ecu::LiveData live;
    live.fsmCopy = 40;
    live.FREQXX = 850;
    live.UOZOC = -2.5f;
    live.JADS = 100;
    live.RCOK = -0.375f;
    const ControlParameterForm form(live);
    EXPECT_EQ(form.texts(), (ParameterTexts{"40", "850", "-2.5", "100", "0", "0", "-0.375"}));
    EXPECT_EQ(form.validate().values, form.starting());
}

class ParameterForm : public PanelTest {
protected:
    std::vector<Bytes> payloads() const {
        std::vector<Bytes> out;
        for (const Bytes& frame : peer.frames) {
            out.push_back(unescapePayload(frame));
        }
        return out;
    }
};

TEST_F(ParameterForm, UnchangedOrBarelyChangedFieldsSendNothingAndAskNothing) {
    startConnected();
    for (const auto& [field, text] :
         std::vector<std::pair<Field, const char*>>{{Field::idleStepper, "0"},
                                                    {Field::rcod, "-0.00001"},
                                                    {Field::ignitionCorrection, "0.01"}}) {
        ControlParameterForm form = panel->controlParameterForm();
        form.text(field) = text;
        EXPECT_TRUE(panel->applyControlParameters(form).valid());
    }
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_FALSE(shown().isEnabled(control::releaseControls));
}

TEST_F(ParameterForm, AFieldThatDoesNotReadSendsNothing) {
    startConnected();
    ControlParameterForm form = panel->controlParameterForm();
    form.text(Field::idleSpeed) = "900";
    form.text(Field::egrDegree) = "150";
    const ParameterCheck check = panel->applyControlParameters(form);
    EXPECT_EQ(check.message, percent);
    EXPECT_EQ(check.field, Field::egrDegree);
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_FALSE(shown().isEnabled(control::releaseControls));
}

// The CO corrections the ECU cannot carry are refused like JEGR 150; RCOD
// below -0.3 is limited, as the stepper and idle speed are.
TEST_F(ParameterForm, CoCorrectionsTheEcuCannotCarryAreRefusedWithTheirRange) {
    startConnected();
    const std::string rcodRange = "Please enter a number between -0.3 and 0.";
    const std::string rcokRange = "Please enter a number between -0.5 and 0.";
    const std::tuple<Field, const char*, std::string> cases[] = {{Field::rcod, "0.1", rcodRange},
                                                                 {Field::rcok, "0.01", rcokRange},
                                                                 {Field::rcok, "-0.6", rcokRange},
                                                                 {Field::rcod, "-0.4", ""},
                                                                 {Field::rcok, "-0.5", ""}};
    for (const auto& [field, text, message] : cases) {
        ControlParameterForm form = panel->controlParameterForm();
        form.text(field) = text;
        const ParameterCheck check = form.validate();
        EXPECT_EQ(check.message, message) << text;
        EXPECT_EQ(check.field, message.empty() ? std::nullopt : std::optional(field)) << text;
    }
    ControlParameterForm refused = panel->controlParameterForm();
    refused.text(Field::rcok) = "0.25";
    EXPECT_FALSE(panel->applyControlParameters(refused).valid());
    EXPECT_TRUE(peer.frames.empty());
}

TEST(ParameterLimits, AValueSentAsItsLimitIsNamed) {
    ControlParameterValues values;
    values.idleStepper = 300;
    values.idleSpeed = 2600;
    values.ignitionCorrection = -20.0f;
    values.rcod = -0.4f;
    values.egrDegree = 100;
    EXPECT_EQ(limitNote(Field::idleStepper, values),
              "Рег.ХХ(РДВ): 300 is beyond its limit and is sent as 255");
    EXPECT_EQ(limitNote(Field::idleSpeed, values),
              "Обороты ХХ: 2600 is beyond its limit and is sent as 2500");
    EXPECT_EQ(limitNote(Field::ignitionCorrection, values),
              "Поправка УОЗ: -20 is beyond its limit and is sent as -15");
    EXPECT_EQ(limitNote(Field::rcod, values),
              "Коррекция CO по смещ. (RCOD): -0.4 is beyond its limit and is sent as -0.3");
    EXPECT_EQ(limitNote(Field::egrDegree, values), "");
    EXPECT_EQ(limitNote(Field::idleStepper, ControlParameterValues{}), "");
}

TEST_F(ParameterForm, NoLeavesTheValueSetButNotStoredAndYesStoresIt) {
    startConnected();
    for (const bool store : {false, true}) {
        peer.frames.clear();
        prompts.answers = {store};
        ControlParameterForm form = panel->controlParameterForm();
        form.text(Field::rcok) = store ? "-0.25" : "-0.125";
        panel->applyControlParameters(form);
        std::vector<Bytes> expected{
            {0x62, 0x0C, 0x10, 0x42, store ? std::uint8_t{0xC0} : std::uint8_t{0xE0}},
            {0x61, 0x42}};
        if (store) {
            expected[0] = {0x62, 0x42, 0xC0};
            expected.push_back({0x62, 0x0E, 0x01, 0x7C, 0x02});
            expected.push_back({0x61, 0x42});
        }
        EXPECT_EQ(payloads(), expected) << store;
    }
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[0].caption, "Сохранение в долговременную память.");
    EXPECT_EQ(prompts.questions[0].text,
              "Сохранить в долговременную память Коэффициент коррекции топливоподачи (RCOK)?");
    EXPECT_TRUE(prompts.questions[0].yesIsDefault);
}

TEST_F(ParameterForm, OkRunsTheServicesInItsOwnOrderAndLimitsInPlace) {
    startConnected();
    prompts.answers = {true, true, true};
    ControlParameterForm form = panel->controlParameterForm();
    const ParameterTexts texts{"10", "2600", "3", "50", "30", "-0.125", "-0.25"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        form.text(static_cast<Field>(i)) = texts[i];
    }
    const ParameterCheck check = panel->applyControlParameters(form);
    ASSERT_TRUE(check.valid());
    EXPECT_EQ(check.values->idleSpeed, 2500u);
    EXPECT_EQ(form.text(Field::idleSpeed), "2500");
    EXPECT_EQ(payloads(), (std::vector<Bytes>{{0x62, 0x0B, 0x20, 0x5B, 0x0A},
                                              {0x62, 0x0B, 0x60, 0x2E, 0xFA},
                                              {0x62, 0x0C, 0x08, 0x41, 0xE0},
                                              {0x61, 0x41},
                                              {0x62, 0x0E, 0x01, 0x7C, 0x01},
                                              {0x61, 0x41},
                                              {0x62, 0x0C, 0x18, 0x42, 0xC0},
                                              {0x61, 0x42},
                                              {0x62, 0x0E, 0x01, 0x7C, 0x02},
                                              {0x61, 0x42},
                                              {0x62, 0x0C, 0x1A, 0x5F, 0x1E},
                                              {0x61, 0x5F},
                                              {0x62, 0x0C, 0x1E, 0x5E, 0x32},
                                              {0x61, 0x5E},
                                              {0x62, 0x0B, 0x68, 0x28, 0x06},
                                              {0x61, 0x28},
                                              {0x62, 0x0E, 0x01, 0x7C, 0x03},
                                              {0x61, 0x28}}));
    ASSERT_EQ(prompts.questions.size(), 3u);
    EXPECT_EQ(prompts.questions[2].text,
              "Сохранить в долговременную память поправку угла опережения зажигания?");
    EXPECT_TRUE(shown().isEnabled(control::releaseControls));
}

// A value given on a command line is sent as it stands, even when the ECU holds
// it already; a touched field that does not read still sends nothing.
TEST_F(ParameterForm, ATouchedFieldIsSentAtItsStartingValue) {
    peer.variables[0x2C] = 85;
    startConnected();
    prompts.answers = {false};
    ControlParameterForm form = panel->controlParameterForm();
    form.touch(Field::idleSpeed);
    form.touch(Field::ignitionCorrection);
    ASSERT_TRUE(panel->applyControlParameters(form).valid());
    EXPECT_EQ(payloads(),
              (std::vector<Bytes>{
                  {0x62, 0x0B, 0x40, 0x2E, 0x55}, {0x62, 0x0B, 0x48, 0x28, 0x00}, {0x61, 0x28}}));
    EXPECT_EQ(prompts.questions.size(), 1u);
}

struct StoreOffer {
    Field field;
    bool answer;
    std::vector<Bytes> sent;
    std::size_t questions;
    friend void PrintTo(const StoreOffer& c, std::ostream* out) {
        *out << fieldCaption(c.field) << (c.answer ? " Yes" : " No");
    }
};

class OfferToStore : public ParameterForm, public ::testing::WithParamInterface<StoreOffer> {};

TEST_P(OfferToStore, AsksForTheStorableFieldsAndStoresOnYes) {
    startConnected();
    prompts.answers = {GetParam().answer};
    EXPECT_EQ(offerToStore(GetParam().field, session(), prompts), !GetParam().sent.empty());
    EXPECT_EQ(payloads(), GetParam().sent);
    EXPECT_EQ(prompts.questions.size(), GetParam().questions);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, OfferToStore,
    ::testing::Values(
        StoreOffer{Field::rcod, true, {{0x62, 0x0E, 0x01, 0x7C, 0x01}, {0x61, 0x41}}, 1},
        StoreOffer{
            Field::ignitionCorrection, true, {{0x62, 0x0E, 0x01, 0x7C, 0x03}, {0x61, 0x28}}, 1},
        StoreOffer{Field::rcok, false, {}, 1}, StoreOffer{Field::idleSpeed, true, {}, 0},
        StoreOffer{Field::egrDegree, true, {}, 0}));

}  // namespace
}  // namespace ecuprobe::console::testing

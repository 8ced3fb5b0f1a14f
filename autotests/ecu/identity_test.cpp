#include "ecu/ecu_identity.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

// CP866 of "МИКАС 5.4 ЗМЗ406", 16 characters.
const Bytes programBlock{0x8C, 0x88, 0x8A, 0x80, 0x91, 0x20, 0x35, 0x2E,
                         0x34, 0x20, 0x87, 0x8C, 0x87, 0x34, 0x30, 0x36};
const std::string programText = "МИКАС 5.4 ЗМЗ406";

class Identity : public SessionTest {
protected:
    // Answers by the request: the type byte, a block per passport or text
    // request, equipment bytes; requests not in the map stay unanswered.
    void answerFrom(std::map<Bytes, Bytes> answers) {
        ecu.reply = [answers = std::move(answers)](const Bytes& payload) -> std::optional<Bytes> {
            const auto found = answers.find(payload);
            return found == answers.end() ? std::nullopt : std::optional(found->second);
        };
    }

    static std::map<Bytes, Bytes> fullAnswers() {
        std::map<Bytes, Bytes> answers{{{0x01}, {0x09}}, {{0x61, 1, 2, 3, 4, 5}, Bytes(6, 0)}};
        for (std::uint8_t command = 0x51; command <= 0x58; ++command) {
            answers[{command}] = programBlock;
        }
        for (const std::uint8_t variable : Bytes{0x74, 0x75, 0x76, 0x77, 0x79, 0x7A, 0x7B}) {
            answers[{0x61, variable}] = {'T', static_cast<std::uint8_t>(variable - 0x40), 0};
        }
        return answers;
    }
};

TEST_F(Identity, SixteenRequestsInOrderEachAfterItsPause) {
    openConnected();
    answerFrom(fullAnswers());
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{{0x01},
                                                  {0x51},
                                                  {0x52},
                                                  {0x53},
                                                  {0x54},
                                                  {0x55},
                                                  {0x56},
                                                  {0x57},
                                                  {0x58},
                                                  {0x61, 0x74},
                                                  {0x61, 0x75},
                                                  {0x61, 0x76},
                                                  {0x61, 0x77},
                                                  {0x61, 0x79},
                                                  {0x61, 0x7A},
                                                  {0x61, 0x7B}}));
    EXPECT_EQ(ecu.sent[0].atMs, 100u);
    for (std::size_t i = 1; i < ecu.sent.size(); ++i) {
        EXPECT_EQ(ecu.sent[i].atMs - ecu.sent[i - 1].atMs, 3u + 100u) << i;
        EXPECT_EQ(ecu.sent[i].busy, 1) << i;
    }
    EXPECT_EQ(exchangeBusy, 0);
    const EcuIdentity& id = session.identity();
    EXPECT_EQ(id.identityRead, 0xFF);
    EXPECT_EQ(id.ecuName, "Микас 5.4");
    EXPECT_EQ(id.modification, "T4");
    EXPECT_EQ(id.serialNumber, "T5");
    EXPECT_EQ(id.ecuDate, "T6");
    EXPECT_EQ(id.adcCalibration, "T7");
    EXPECT_EQ(id.engineNumber, "T9");
    EXPECT_EQ(id.bodyNumber, "T:");
    EXPECT_EQ(id.carDate, "T;");
}

// Three and five blocks of 16 characters with CR LF would overflow passports of
// 54 and 90 characters; every block is kept whole.
TEST_F(Identity, PassportsHoldEveryBlockWholeWithItsLineEnd) {
    openConnected();
    std::map<Bytes, Bytes> answers = fullAnswers();
    answers[{0x52}] = {'A', 'B', 0, 'C'};
    answers[{0x53}] = {'1', '2', '3', '4', '5', '6', '7', '8', '9',
                       '0', '1', '2', '3', '4', '5', '6', 'X', 'Z'};
    answerFrom(answers);
    session.readIdentity();
    EXPECT_EQ(session.identity().programPassport, programText + "\r\nAB\r\n1234567890123456\r\n");
    std::string fiveBlocks;
    for (int n = 0; n < 5; ++n) {
        fiveBlocks += programText + "\r\n";
    }
    EXPECT_EQ(session.identity().dataPassport, fiveBlocks);
}

TEST_F(Identity, UnansweredRequestsLeaveTheirFieldsEmpty) {
    openConnected();
    std::map<Bytes, Bytes> answers = fullAnswers();
    for (const Bytes& request : std::vector<Bytes>{{0x01}, {0x52}, {0x61, 0x75}, {0x61, 0x7B}}) {
        answers.erase(request);
    }
    answerFrom(answers);
    stateOf(session).identity.ecuName = "Микас 7.1";
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    const EcuIdentity& id = session.identity();
    EXPECT_EQ(session.statusText(), "Ош. типа ЭБУ.");
    EXPECT_EQ(id.ecuName, "");
    EXPECT_EQ(id.programPassport, programText + "\r\n" + programText + "\r\n");
    EXPECT_EQ(id.serialNumber, "");
    EXPECT_EQ(id.carDate, "");
    EXPECT_EQ(id.modification, "T4");
    EXPECT_EQ(id.unansweredTexts.names(),
              (std::vector<std::string_view>{"тип ЭБУ", "паспорт программы", "серийный номер",
                                             "дата выпуска автомобиля"}));
}

// Only an answer counts as read: a field left empty is asked for again next time.
TEST_F(Identity, TextsWithAFieldLeftUnansweredAreReadAgainWhole) {
    openConnected();
    std::map<Bytes, Bytes> answers = fullAnswers();
    answers.erase({0x61, 0x7A});
    answerFrom(answers);
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    answerFrom(fullAnswers());
    ecu.sent.clear();
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    EXPECT_EQ(ecu.sent.size(), 16u);
    EXPECT_EQ(session.identity().bodyNumber, "T:");
    EXPECT_TRUE(session.identity().unansweredTexts.empty());
    ecu.sent.clear();
    session.readIdentity();
    EXPECT_TRUE(ecu.sent.empty()) << "a whole read is kept";
}

TEST_F(Identity, TypeByteNamesTheEcu) {
    const std::pair<std::uint8_t, const char*> types[] = {
        {9, "Микас 5.4"}, {10, "Микас 7.1"}, {11, "Микас ?.?"}};
    openConnected();
    for (const auto& [type, name] : types) {
        std::map<Bytes, Bytes> answers = fullAnswers();
        answers[{0x01}] = {type};
        answerFrom(answers);
        stateOf(session).identity.identityRead = 0;
        session.readIdentity();
        EXPECT_EQ(session.identity().ecuName, name) << +type;
    }
}

TEST_F(Identity, NoPassportBlockAtAllGivesZero) {
    openConnected();
    std::map<Bytes, Bytes> answers = fullAnswers();
    for (std::uint8_t command = 0x51; command <= 0x58; ++command) {
        answers.erase({command});
    }
    answerFrom(answers);
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::failed);
    EXPECT_EQ(session.identity().identityRead, 0);
    EXPECT_EQ(ecu.sent.size(), 16u);
}

TEST_F(Identity, TextsAreReadOncePerConnection) {
    openConnected();
    answerFrom(fullAnswers());
    session.readIdentity();
    ecu.sent.clear();
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::done);
    EXPECT_TRUE(ecu.sent.empty());
    session.resetState();
    EXPECT_EQ(session.identity().programPassport, "");
    stateOf(session).connected = 1;
    session.readIdentity();
    EXPECT_EQ(ecu.sent.size(), 16u);
}

TEST_F(Identity, NothingIsReadWhileDisconnected) {
    openConnected();
    stateOf(session).connected = 0;
    std::string equipment = "old";
    EXPECT_EQ(session.readIdentity(), ecu::ServiceResult::failed);
    EXPECT_EQ(session.readEquipment(equipment), ecu::ServiceResult::failed);
    EXPECT_EQ(equipment, "");
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(Identity, EquipmentReadSetsTheSpeedSensorFlagWithoutAPauseOrTheBusyFlag) {
    openConnected();
    answerAll({0x41, 0x00, 0x00, 0x00, 0x00, 0x00});
    std::string text;
    EXPECT_EQ(session.readEquipment(text), ecu::ServiceResult::done);
    EXPECT_EQ(text, "постоянное питание блока, \r\nдатчик скорости, ");
    EXPECT_EQ(session.identity().hasSpeedSensor, 1);
    EXPECT_EQ(ecu.payloads(), (std::vector<Bytes>{{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}}));
    EXPECT_EQ(ecu.sent[0].atMs, 0u);
    EXPECT_EQ(ecu.sent[0].busy, 0);
    // Silence, or an answer of another length than the six equipment bytes.
    for (const std::optional<Bytes>& wrong :
         {std::optional<Bytes>(), std::optional<Bytes>(Bytes{0x41, 0, 0, 0, 0}),
          std::optional<Bytes>(Bytes{0x41, 0, 0, 0, 0, 0, 0})}) {
        ecu.reply = [&wrong](const Bytes&) { return wrong; };
        EXPECT_EQ(session.readEquipment(text), ecu::ServiceResult::failed);
        EXPECT_EQ(text, "");
        EXPECT_EQ(session.identity().hasSpeedSensor, 0);
    }
}

struct EquipmentCase {
    Bytes bytes;
    const char* text;
};

TEST(EquipmentText, ListsOneTextPerSetBitInTableOrder) {
    const EquipmentCase cases[] = {
        {{0x02, 0, 0, 0, 0, 0}, "\r\nL-зонд, "},
        {{0x01, 0, 0, 0, 0x01, 0x02},
         "постоянное питание блока, \r\nлампа неисправности, \r\nклапаном ПРЗ, "},
        {{0, 0x0F, 0, 0x01, 0x80, 0},
         "\r\nпротивобуксовочная системой, \r\nдатчик положения клапана EGR, "
         "\r\nдатчик положения клапана ADS, \r\nдатчик давления усилителя руля, "
         "\r\nадапт. уставки расхода воздуха, \r\nкондиционер , "},
        {{0, 0xF0, 0, 0xFE, 0, 0xFC}, ""},
        {{0x01}, "постоянное питание блока, "},
    };
    for (const EquipmentCase& c : cases) {
        EXPECT_EQ(equipmentText(c.bytes), c.text);
    }
}

struct EquipmentBit {
    std::size_t byte;
    unsigned bit;
    const char* text;
};

// Each bit alone gives its text, all of them their texts in this order; only byte 0
// bit 6 tells of a speed sensor.
TEST(EquipmentText, EveryBitHasItsTextInItsPlace) {
    const EquipmentBit bits[] = {
        {0, 0, "постоянное питание блока, "},
        {0, 1, "\r\nL-зонд, "},
        {0, 2, "\r\nдатчик детонации, "},
        {0, 3, "\r\nдатчик температуры воздуха, "},
        {0, 4, "\r\nдатчик фазы, "},
        {0, 5, "\r\nпозиц.датчика фазы в створе датчика ВМТ, "},
        {0, 6, "\r\nдатчик скорости, "},
        {0, 7, "\r\nдатчик RCO, "},
        {1, 0, "\r\nпротивобуксовочная системой, "},
        {1, 1, "\r\nдатчик положения клапана EGR, "},
        {1, 2, "\r\nдатчик положения клапана ADS, "},
        {1, 3, "\r\nдатчик давления усилителя руля, "},
        {2, 0, "\r\nэнергонезависимая память IROM, "},
        {2, 1, "\r\nисп. коррекции АЦП из IROM, "},
        {2, 2, "\r\nиммобилизатор, "},
        {2, 3, "\r\nисп. RCO из IROM, "},
        {2, 4, "\r\nпостоянное включение топлива, "},
        {2, 5, "\r\nасинхронная подача при повторном пуске, "},
        {2, 6, "\r\nадапт. нуля дросселя, "},
        {2, 7, "\r\nадапт. уставки частоты вращения ХХ, "},
        {3, 0, "\r\nадапт. уставки расхода воздуха, "},
        {4, 0, "\r\nлампа неисправности, "},
        {4, 1, "\r\nуправление бензонасосом, "},
        {4, 2, "\r\nпусковая форсункой, "},
        {4, 3, "\r\nклапан рециркуляции, "},
        {4, 4, "\r\nадсорбер, "},
        {4, 5, "\r\nтахометр, "},
        {4, 6, "\r\nиндикатор расхода топлива, "},
        {4, 7, "\r\nкондиционер , "},
        {5, 0, "\r\nвентилятор, "},
        {5, 1, "\r\nклапаном ПРЗ, "},
    };
    Bytes every(6, 0);
    std::string all;
    for (const EquipmentBit& b : bits) {
        Bytes one(6, 0);
        one[b.byte] = static_cast<std::uint8_t>(1u << b.bit);
        EXPECT_EQ(equipmentText(one), b.text) << b.byte << "." << b.bit;
        EXPECT_EQ(speedSensorFitted(one), b.byte == 0 && b.bit == 6) << b.byte << "." << b.bit;
        every[b.byte] |= one[b.byte];
        all += b.text;
    }
    EXPECT_EQ(equipmentText(every), all);
}

}  // namespace
}  // namespace ecuprobe::ecu::testing

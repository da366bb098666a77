// ".fun" function files.
#include "FuzzCommon.h"
#include "model/InputOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::SilenceMessages();
    const QString path = fuzz::WriteInput(data, size, "fun");
    std::vector<TPROBLEM> criteria;
    QString message;
    FactorK = 0.5;
    const int line = TINPUT_OUTPUT::ReadFunFile(path, criteria, message);
    if (line == TINPUT_OUTPUT::ReadOk) {
        fuzz::CheckCriteria(criteria);
        fuzz::Require(!criteria.empty(), "a good file has a criterion");
        for (const TPROBLEM &c : criteria) {
            fuzz::Require(c.SmallK >= 0.0 && c.SmallK <= 1.0, "k within 0 to 1");
            // The range ends are of a scale the chart can divide by.
            fuzz::Require(std::abs(c.Min) <= 1e15 && std::abs(c.Max) <= 1e15, "range in scale");
        }
    } else {
        fuzz::Require(!message.isEmpty(), "a failure has a message");
        fuzz::Require(line >= 0 || line == TINPUT_OUTPUT::NotRead, "a failure names a line");
        fuzz::Require(criteria.empty(), "nothing half imported");
        fuzz::Require(FactorK == 0.5, "K untouched on failure");
    }
    return 0;
}

// ".crt" criteria files.
#include "FuzzCommon.h"
#include "model/InputOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::SilenceMessages();
    const QString path = fuzz::WriteInput(data, size, "crt");
    std::vector<TPROBLEM> criteria;
    QString message;
    const int line = TINPUT_OUTPUT::ReadCrtFile(path, criteria, message);
    if (line == TINPUT_OUTPUT::ReadOk) {
        fuzz::CheckCriteria(criteria);
        for (const TPROBLEM &c : criteria)
            fuzz::Require(c.Points.size() == 2 && c.Min < c.Max && std::abs(c.Max) <= 1e15 &&
                              std::abs(c.Min) <= 1e15,
                          "end points of a valid range in scale");
    } else {
        fuzz::Require(!message.isEmpty(), "a failure has a message");
        fuzz::Require(line >= 0 || line == TINPUT_OUTPUT::NotRead, "a failure names a line");
        fuzz::Require(criteria.empty(), "nothing half imported");
    }
    return 0;
}

// Result files applied to a small fixed problem.
#include "FuzzCommon.h"
#include "model/Xml.h"

namespace {
std::vector<TPROBLEM> FixedProblem() {
    std::vector<TPROBLEM> criteria;
    const char *names[] = {"Price", "Comfort", "Speed"};
    for (int i = 0; i < 3; ++i) {
        TPROBLEM c;
        c.Name = QString::fromLatin1(names[i]);
        c.AttrID = QStringLiteral("Attr%1").arg(i + 1);
        c.Id = i + 1;
        c.Used = true;
        c.Method = 1;
        c.Decimals = 1;
        c.Cost = i == 0;
        c.Min = 0;
        c.Max = 100;
        c.Init(c.Min, c.Max);
        criteria.push_back(c);
    }
    return criteria;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::SilenceMessages();
    const QString path = fuzz::WriteInput(data, size, "xml");
    std::vector<TPROBLEM> criteria = FixedProblem();
    std::vector<TROLENAME> roles = {TXML::DefaultRole(0), TXML::DefaultRole(1)};
    TXML xml;
    xml.NewDocuments(roles);
    if (!xml.LoadResultFile(path)) {
        fuzz::Require(!xml.ParseErrorText(xml.ResultDoc).isEmpty(), "a refused file has a message");
        return 0;
    }
    // A refused file may leave the criteria half changed: the workflow puts its
    // copy back, so only the message counts then.
    if (!xml.ReadResults(criteria)) {
        fuzz::Require(!xml.GetErrorMessage().isEmpty(), "refused results have a message");
        return 0;
    }
    fuzz::Require(criteria.size() == 3, "results add or remove no criteria");
    fuzz::CheckCriteria(criteria);
    for (const TPROBLEM &c : criteria)
        fuzz::Require(c.SmallK >= 0.0 && c.SmallK <= 1.0, "k within 0 to 1");
    // The loaded results must be writable again.
    xml.WriteResults(criteria);
    return 0;
}

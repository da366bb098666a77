// Problem files: loading, the problem reader and the settings reader.
#include "FuzzCommon.h"
#include "model/Xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::SilenceMessages();
    const QString path = fuzz::WriteInput(data, size, "xml");
    TDecisionModel m;
    TXML xml;
    xml.NewDocuments(m.Roles);
    if (!xml.LoadProblemFile(path)) {
        fuzz::Require(!xml.ParseErrorText(xml.ProblemDoc).isEmpty(),
                      "a refused file has a message");
        return 0;
    }
    if (!xml.ReadProblem(m.Criteria, m.Variants, m.Roles)) {
        fuzz::Require(!xml.GetErrorMessage().isEmpty(), "a refused problem has a message");
        return 0;
    }
    fuzz::CheckCriteria(m.Criteria);
    if (!m.Variants.Alternatives.empty())
        fuzz::CheckTable(m);
    fuzz::Require(m.Roles.size() == 2, "two role columns");
    double probability = 0.5;
    int questions = 5, precision = 3;
    if (!xml.ReadGlobalSettings(probability, questions, precision))
        fuzz::Require(!xml.GetErrorMessage().isEmpty(), "refused settings have a message");
    // What was read must store again.
    for (int row = 0; row < int(m.Variants.Alternatives.size()); ++row)
        xml.UpdateObjectValues(m.Criteria, m.Variants, row, m.Roles);
    xml.WriteElicitationSettings(m.Criteria, probability, questions, precision);
    return 0;
}

// The decision problem in memory and the arithmetic of the multiplicative model.
// The main frame owns one and forwards its look-ups and model commands to it;
// tests build one without any window.
#pragma once

#include "model/Problem.h"
#include "model/Variants.h"

#include <vector>

// The scaling factor K: one program-wide value, set by the solver, the ".fun"
// import and loading results.
extern double FactorK;

// Adds to sum the products of every increasing choice of (depth - level + 1)
// further coefficients from k[start..n] (k counted from 1). With level 1,
// start 1 and product 1.0 it adds the elementary symmetric sum of degree depth.
void SymmetricSum(int n, const double *k, int depth, int level, int start, double product,
                  double &sum);

int IntAbs(int value);

// FormatFixed of an overall utility; one that rounds to zero from below shows
// as zero, never as "-0.000".
QString FormatUtility(double value, int decimals);

// Sums of k this close to 1 are taken as exactly 1: the additive model.
constexpr double AdditiveTolerance = 1e-12;

// The K of the used criteria's k as SolveFactorK finds it, without a message
// and without changing anything; false when they have none.
bool FactorKOf(const std::vector<TPROBLEM> &criteria, double &K);

// How far a K from a file may lie from the one its k solve to, relative above
// 1: the old scan's error of up to 0.0005 still fits.
constexpr double FactorKTolerance = 1e-3;
// True when K belongs to the k of the used criteria: it lies within
// FactorKTolerance of the K they solve to. Where K does not change the
// utilities (one used criterion, k summing to 1) the solver's 1 fits, and so
// does any K that solves 1 + K = prod(1 + K k_i), 0 among them.
bool FactorKFits(const std::vector<TPROBLEM> &criteria, double K);

class TDecisionModel {
public:
    TDecisionModel();

    std::vector<TPROBLEM> Criteria; // problem order, at most MaxCriteria
    std::vector<TROLENAME> Roles;   // the name column, then the description column
    TVARIANTS Variants;
    int UsedCount = 0;
    bool SolutionComplete = false;

    // Look-ups: exact, case-sensitive, first match, -1 when absent.
    bool IsAttrIdFree(const QString &attrId) const;
    bool IsCriterionNameUnique(const QString &name, int skipIndex) const;
    int MaxCriterionId() const;
    int CriterionIndexById(int id) const;
    int CriterionIndexByName(const QString &name) const;
    int CriterionIdByName(const QString &name) const;
    int AlternativeIndexByName(const QString &name) const;

    // Solves K from the k of the used criteria. Shows "Can't calculate factor K"
    // and leaves FactorK and SolutionComplete alone when there is no such K.
    bool SolveFactorK();
    // Sets the overall utility of every alternative.
    void ComputeAlternativeUtilities();
    // True when the used criteria's k sum to 1 or K is 0: utilities then add up.
    bool IsAdditive() const;
};

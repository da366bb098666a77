#include "model/DecisionModel.h"

#include "model/Messages.h"

#include <algorithm>
#include <cmath>
#include <limits>

double FactorK = 0.0;

void SymmetricSum(int n, const double *k, int depth, int level, int start, double product,
                  double &sum) {
    for (int i = start; i <= n && n - i >= depth - level; ++i) {
        const double p = product * k[i];
        if (level < depth)
            SymmetricSum(n, k, depth, level + 1, i + 1, p, sum);
        else
            sum += p;
    }
}

int IntAbs(int value) {
    return value < 0 ? -value : value;
}

QString FormatUtility(double value, int decimals) {
    QString text = FormatFixed(value, decimals);
    if (text.startsWith(QLatin1Char('-'))) {
        // Only zeros and the decimal separator: not "-inf", not "-0.001".
        bool zero = text.size() > 1;
        for (qsizetype i = 1; i < text.size() && zero; ++i)
            zero = text.at(i) == QLatin1Char('0') || !text.at(i).isLetterOrNumber();
        if (zero)
            text.remove(0, 1);
    }
    return text;
}

TDecisionModel::TDecisionModel() {
    Roles.push_back(TROLENAME{QStringLiteral("MAKE"), QStringLiteral("Name"), QDomElement()});
    Roles.push_back(
        TROLENAME{QStringLiteral("DESC"), QStringLiteral("Description"), QDomElement()});
}

bool TDecisionModel::IsAttrIdFree(const QString &attrId) const {
    for (const TPROBLEM &c : Criteria) {
        if (c.AttrID == attrId)
            return false;
    }
    return true;
}

bool TDecisionModel::IsCriterionNameUnique(const QString &name, int skipIndex) const {
    for (int i = 0; i < int(Criteria.size()); ++i) {
        if (i != skipIndex && Criteria[i].Name == name)
            return false;
    }
    return true;
}

int TDecisionModel::MaxCriterionId() const {
    if (Criteria.empty())
        return 0;
    int max = -1;
    for (const TPROBLEM &c : Criteria) {
        if (c.Id > max)
            max = c.Id;
    }
    return max;
}

int TDecisionModel::CriterionIndexById(int id) const {
    for (int i = 0; i < int(Criteria.size()); ++i) {
        if (Criteria[i].Id == id)
            return i;
    }
    return -1;
}

int TDecisionModel::CriterionIndexByName(const QString &name) const {
    for (int i = 0; i < int(Criteria.size()); ++i) {
        if (Criteria[i].Name == name)
            return i;
    }
    return -1;
}

int TDecisionModel::CriterionIdByName(const QString &name) const {
    const int index = CriterionIndexByName(name);
    return index < 0 ? -1 : Criteria[index].Id;
}

int TDecisionModel::AlternativeIndexByName(const QString &name) const {
    const auto &rows = Variants.Alternatives;
    for (int i = 0; i < int(rows.size()); ++i) {
        if (rows[i].Name == name)
            return i;
    }
    return -1;
}

namespace {

// h(K) = (prod(1 + K k_i) - 1 - K) / K = (S1 - 1) + S2 K + ... + Sn K^(n-1):
// the polynomial whose roots are the nonzero roots of the K equation.
struct ReducedPolynomial {
    double c[MaxCriteria + 1] = {}; // c[j] multiplies K^j
    int degree = 0;

    void Evaluate(double x, double &h, double &dh) const {
        h = c[degree];
        dh = 0.0;
        for (int j = degree - 1; j >= 0; --j) {
            dh = dh * x + h;
            h = h * x + c[j];
        }
    }
};

// Safeguarded Newton iteration on a bracket with h(lo) < 0 < h(hi).
double FindRoot(const ReducedPolynomial &p, double lo, double hi, double x) {
    constexpr double eps = std::numeric_limits<double>::epsilon();
    for (int iteration = 0; iteration < 200; ++iteration) {
        double h, dh;
        p.Evaluate(x, h, dh);
        if (h == 0.0)
            return x;
        if (h < 0.0)
            lo = x;
        else
            hi = x;
        double next = dh != 0.0 ? x - h / dh : lo + (hi - lo) * 0.5;
        if (!(next > lo && next < hi))
            next = lo + (hi - lo) * 0.5;
        if (std::abs(next - x) <= 2.0 * eps * std::abs(x) || hi - lo <= 2.0 * eps * std::abs(x))
            return next;
        x = next;
    }
    return x;
}

// k[0] + ... + k[n-1] - 1 with compensated (Neumaier) summation.
double SumMinusOne(const double *k, int n) {
    double sum = -1.0;
    double compensation = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = sum + k[i];
        if (std::abs(sum) >= std::abs(k[i]))
            compensation += (sum - t) + k[i];
        else
            compensation += (k[i] - t) + sum;
        sum = t;
    }
    return sum + compensation;
}

// The k of the used criteria, as the solver takes them.
struct TUsedK {
    double k[MaxCriteria + 1] = {}; // counted from 1, only the k that are not 0
    int n = 0;
    int used = 0;
    double sum = 0.0;
    bool valid = true;
    bool someKIsOne = false;

    explicit TUsedK(const std::vector<TPROBLEM> &criteria) {
        for (const TPROBLEM &c : criteria) {
            if (!c.Used)
                continue;
            ++used;
            sum += c.SmallK;
            if (!(c.SmallK >= 0.0 && c.SmallK <= 1.0))
                valid = false;
            else if (c.SmallK > 0.0 && n < MaxCriteria)
                k[++n] = c.SmallK;
            someKIsOne = someKIsOne || c.SmallK == 1.0;
        }
    }
    // One criterion, or k that add up: the utilities do not depend on K.
    bool LeaveKFree() const { return used == 1 || std::abs(sum - 1.0) <= AdditiveTolerance; }
};
} // namespace

bool FactorKOf(const std::vector<TPROBLEM> &criteria, double &K) {
    const TUsedK used(criteria);
    if (used.used == 0 || !used.valid)
        return false;
    if (used.LeaveKFree()) {
        K = 1.0;
        return true;
    }
    // Fewer than two k above zero leave K = 0 as the only root.
    const int n = used.n;
    if (n < 2)
        return false;

    ReducedPolynomial poly;
    for (int j = 1; j <= n; ++j) {
        double s = 0.0;
        SymmetricSum(n, used.k, j, 1, 1, 1.0, s);
        poly.c[j - 1] = s;
    }
    // S1 - 1 decides the root near the additive case: sum it without rounding loss.
    poly.c[0] = SumMinusOne(used.k + 1, n);
    poly.degree = n - 1;

    // The nonzero root lies in (-1, 0) when the k sum to more than 1 and in
    // (0, inf) when they sum to less; h rises through it in both cases.
    double root;
    if (used.sum > 1.0) {
        // A k of 1 makes 1 + K k vanish at K = -1: that is the root.
        root = used.someKIsOne ? -1.0 : FindRoot(poly, -1.0, 0.0, -0.5);
    } else {
        double hi = 1.0;
        double h, dh;
        for (poly.Evaluate(hi, h, dh); h <= 0.0; poly.Evaluate(hi, h, dh)) {
            hi *= 2.0;
            if (!std::isfinite(hi))
                return false;
        }
        // h is convex for K > 0, so Newton from the right never overshoots.
        root = FindRoot(poly, 0.0, hi, hi);
    }
    if (!std::isfinite(root) || root == 0.0)
        return false;
    K = root;
    return true;
}

bool FactorKFits(const std::vector<TPROBLEM> &criteria, double K) {
    double solved = 0.0;
    if (!std::isfinite(K) || !FactorKOf(criteria, solved))
        return false;
    if (K == solved)
        return true;
    if (TUsedK(criteria).LeaveKFree()) {
        // Any K that solves 1 + K = prod(1 + K k_i) gives the same utilities.
        double product = 1.0;
        for (const TPROBLEM &c : criteria) {
            if (c.Used)
                product *= 1.0 + K * c.SmallK;
        }
        return std::abs(product - (1.0 + K)) <= FactorKTolerance * std::max(1.0, std::abs(1.0 + K));
    }
    // Measured against the root itself: the equation alone would also take
    // its root K = 0 and anything near it.
    return std::abs(K - solved) <= FactorKTolerance * std::max(1.0, std::abs(solved));
}

bool TDecisionModel::SolveFactorK() {
    UsedCount = TUsedK(Criteria).used;
    double K = 0.0;
    if (!FactorKOf(Criteria, K)) {
        ShowModelMessage(QStringLiteral("Can't calculate factor K"), mtError);
        return false;
    }
    FactorK = K;
    SolutionComplete = true;
    return true;
}

bool TDecisionModel::IsAdditive() const {
    if (FactorK == 0.0)
        return true;
    double sum = 0.0;
    for (const TPROBLEM &c : Criteria) {
        if (c.Used)
            sum += c.SmallK;
    }
    return std::abs(sum - 1.0) <= AdditiveTolerance;
}

void TDecisionModel::ComputeAlternativeUtilities() {
    auto &rows = Variants.Alternatives;
    const auto &columns = Variants.Columns;
    if (columns.empty())
        return;
    const size_t count = std::min(rows.size(), columns.front().Values.size());

    std::vector<int> used;
    for (int i = 0; i < int(Criteria.size()); ++i) {
        if (Criteria[i].Used)
            used.push_back(i);
    }
    const bool additive = IsAdditive();
    const double K = FactorK;

    // D accumulates prod(1 + a_i) - 1 with every a_i of K's sign, so no digits
    // cancel however small K is. Criteria outside, rows inside: each column is
    // read as one stream.
    std::vector<double> d(count, 0.0);
    for (int i : used) {
        const TPROBLEM &c = Criteria[i];
        const VCriteriumData *values = size_t(i) < columns.size() ? &columns[i].Values : nullptr;
        for (size_t j = 0; j < count; ++j) {
            const double u = values && j < values->size() ? c.UtilityOf((*values)[j]) : 0.0;
            const double a = c.SmallK * u;
            d[j] = additive ? d[j] + a : d[j] * (1.0 + K * a) + K * a;
        }
    }
    for (size_t j = 0; j < count; ++j)
        rows[j].Utility = additive ? d[j] : d[j] / K;
}

#include "elicitation/Lotteries.h"
#include "model/Problem.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

int HintDecimals(const QString &text) {
    const qsizetype separator = text.indexOf(QLocale().decimalPoint());
    return int(separator < 0 ? text.size() : text.size() - (separator + 1));
}

TAnswerResult CheckAnswer(double proposal, double stopEnd, double lo, double hi, int questions,
                          int &counter) {
    TAnswerResult result;
    const QString hint = FloatToStr(proposal);
    const int d = HintDecimals(hint);
    if (FormatFixed(stopEnd, d) == hint) {
        result.Outcome = TAnswerOutcome::PrecisionStop;
        result.Decimals = d;
        result.ProposalText = FormatFixed(proposal, d);
        return result;
    }
    ++counter;
    // At or beyond the limit: a limit set below 1 must not let the questions run on.
    if (counter >= ClampQuestions(questions) + 1) {
        result.Outcome = TAnswerOutcome::QuestionLimit;
        result.Lo = lo;
        result.Hi = hi;
    }
    return result;
}

void TSegmentQuestion::SetP(double p) {
    P = p;
    OneMinusP = 1.0 - p;
}

void TSegmentQuestion::Start(int method, bool cost, bool firstQuestion, double probability,
                             double xLeft, double uLeft, double xRight, double uRight) {
    Method = method;
    Cost = cost;
    Counter = 1;
    const double middle = xLeft + (xRight - xLeft) * 0.5;
    switch (method) {
    case 1:
        SetP(probability);
        X = cost ? xLeft + (xRight - xLeft) * (1.0 - P) : xLeft + (xRight - xLeft) * P;
        XLo = xLeft;
        XHi = xRight;
        ULo = uLeft;
        UHi = uRight;
        break;
    case 2:
        if (firstQuestion)
            SetP(0.5);
        else
            SetP(cost ? uRight + (uLeft - uRight) * 0.5 : uLeft + (uRight - uLeft) * 0.5);
        X = middle;
        XLo = xLeft;
        XHi = xRight;
        ULo = uLeft;
        UHi = uRight;
        break;
    case 3:
        SetP(probability);
        X = middle;
        Q = (uLeft + uRight) * 0.5 * P;
        if (firstQuestion) {
            XLo = 0.0;
            XHi = P;
        } else if (cost) {
            XLo = uRight * P;
            XHi = uLeft * P;
        } else {
            XLo = uLeft * P;
            XHi = uRight * P;
        }
        ULo = xLeft;
        UHi = xRight;
        break;
    case 4:
        SetP(firstQuestion ? 0.5 : (uLeft + uRight) * 0.5);
        X = middle;
        XLo = xLeft;
        XHi = xRight;
        if (cost && !firstQuestion) {
            ULo = uRight;
            UHi = uLeft;
        } else {
            ULo = uLeft;
            UHi = uRight;
        }
        break;
    default:
        break;
    }
}

double TSegmentQuestion::Proposal() const {
    switch (Method) {
    case 3:
        return Q;
    case 4:
        return P;
    default:
        return X;
    }
}

void TSegmentQuestion::SetProposal(double value) {
    switch (Method) {
    case 3:
        Q = value;
        break;
    case 4:
        SetP(value);
        break;
    default:
        X = value;
        break;
    }
}

TAnswerResult TSegmentQuestion::Answer(TAnswer answer, int questions) {
    const bool sure = answer == TAnswer::Sure;
    if (Method == 3) {
        // Lottery1 (as Sure): q is too low; Lottery2: q is too high.
        const TAnswerResult r = sure ? CheckAnswer(Q, XHi, Q, XHi, questions, Counter)
                                     : CheckAnswer(Q, XLo, XLo, Q, questions, Counter);
        if (r.Outcome != TAnswerOutcome::Narrowed)
            return r;
        if (sure) {
            XLo = Q;
            Q = Q + (XHi - Q) * 0.5;
        } else {
            XHi = Q;
            Q = XLo + (Q - XLo) * 0.5;
        }
        return r;
    }
    if (Method == 4) {
        const TAnswerResult r = sure ? CheckAnswer(P, UHi, P, UHi, questions, Counter)
                                     : CheckAnswer(P, ULo, ULo, P, questions, Counter);
        if (r.Outcome != TAnswerOutcome::Narrowed)
            return r;
        if (sure) {
            ULo = P;
            SetP(P + (UHi - P) * 0.5);
        } else {
            UHi = P;
            SetP(ULo + (P - ULo) * 0.5);
        }
        return r;
    }
    // Methods 1 and 2 bisect x: by p (Gain) or 1 - p (Cost) in method 1, halves in method 2.
    // Sure on a Gain criterion and Lottery on a Cost one move x down.
    const bool down = sure != Cost;
    const double step = Method == 1 ? (Cost ? 1.0 - P : P) : 0.5;
    const TAnswerResult r = down ? CheckAnswer(X, XLo, XLo, X, questions, Counter)
                                 : CheckAnswer(X, XHi, X, XHi, questions, Counter);
    if (r.Outcome != TAnswerOutcome::Narrowed)
        return r;
    if (down) {
        XHi = X;
        X = XLo + (X - XLo) * step;
    } else {
        XLo = X;
        X = X + (XHi - X) * step;
    }
    return r;
}

TActiveRange TSegmentQuestion::ActiveRange() const {
    switch (Method) {
    case 3:
        return {ULo, XHi / P, UHi, XLo / P};
    case 4:
        return {XLo, ULo, XHi, UHi};
    default:
        return {XLo, ULo, XHi, UHi};
    }
}

double TSegmentQuestion::PointU() {
    switch (Method) {
    case 1:
        NewU = Cost ? P * ULo + (1.0 - P) * UHi : (1.0 - P) * ULo + P * UHi;
        break;
    case 3:
        NewU = Q / P;
        break;
    default:
        NewU = P;
        break;
    }
    return NewU;
}

void TCoefficientQuestion::Start(double lo, double hi) {
    Counter = 1;
    P = 0.5;
    PLo = lo;
    PHi = hi;
}

TAnswerResult TCoefficientQuestion::Answer(TAnswer answer, int questions) {
    if (answer == TAnswer::Sure) {
        // The sure outcome is preferred: k lies above p.
        const TAnswerResult r = CheckAnswer(P, PHi, P, PHi, questions, Counter);
        if (r.Outcome == TAnswerOutcome::Narrowed) {
            PLo = P;
            P = P + (PHi - P) * 0.5;
        }
        return r;
    }
    const TAnswerResult r = CheckAnswer(P, PLo, PLo, P, questions, Counter);
    if (r.Outcome == TAnswerOutcome::Narrowed) {
        PHi = P;
        P = PLo + (P - PLo) * 0.5;
    }
    return r;
}

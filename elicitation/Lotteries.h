// The arithmetic of the lottery questions, without windows: the four methods of
// the question dialogue on one segment and the bisection of the coefficient
// dialogue. The dialogues show what these compute; the tests drive them directly.
#pragma once

#include "model/Problem.h"

#include <QString>

// Decimals of a value's general text: its length after the decimal separator,
// or its whole length when it has none.
int HintDecimals(const QString &text);

// Sure: the sure outcome is preferred. Lottery: the lottery is. In method 3,
// Lottery1 moves q up as Sure does, Lottery2 moves it down as Lottery does.
enum class TAnswer { Sure, Lottery };

enum class TAnswerOutcome {
    Narrowed,      // the next question is asked
    PrecisionStop, // the bracket end reads as the proposal: accept the proposal
    QuestionLimit, // the decision maker types the final value within [Lo, Hi]
};

struct TAnswerResult {
    TAnswerOutcome Outcome = TAnswerOutcome::Narrowed;
    int Decimals = 0;     // PrecisionStop: decimals of the proposal's general text
    QString ProposalText; // PrecisionStop: the proposal printed with them
    double Lo = 0.0;      // QuestionLimit: the bracket of the final value
    double Hi = 0.0;
};

// The shared first half of every answer: the precision stop against the
// bracket end stopEnd, then the counter step and the question limit with
// its bracket [lo, hi]. Narrowed means the caller narrows the bracket.
TAnswerResult CheckAnswer(double proposal, double stopEnd, double lo, double hi, int questions,
                          int &counter);

// An active range to shade on the chart: from (X1, U1) to (X2, U2).
struct TActiveRange {
    double X1 = 0.0;
    double U1 = 0.0;
    double X2 = 0.0;
    double U2 = 0.0;
};

// One segment questioned by one of the four methods.
// Method 3 keeps the bounds of q in XLo/XHi and the segment's x in ULo/UHi;
// method 4 keeps the bounds of p in ULo/UHi.
class TSegmentQuestion {
public:
    int Method = 1;
    bool Cost = false;
    int Index = 0;
    int Counter = 1;
    double P = 0.5;
    double Q = 0.0;
    double OneMinusP = 0.5;
    double X = 0.0;
    double NewU = 0.0;
    double XLo = 0.0;
    double XHi = 0.0;
    double ULo = 0.0;
    double UHi = 0.0;

    // Starts method 1..4 on the segment from (xLeft, uLeft) to (xRight, uRight).
    // probability is the frame's Probability (methods 1 and 3).
    void Start(int method, bool cost, bool firstQuestion, double probability, double xLeft,
               double uLeft, double xRight, double uRight);

    // What is bisected: x (methods 1, 2), q (method 3) or p (method 4).
    double Proposal() const;
    void SetProposal(double value);

    // One Sure or Lottery answer: stop, limit, or a narrower bracket and a new proposal.
    TAnswerResult Answer(TAnswer answer, int questions);

    // The range the chart shades for the current bracket.
    TActiveRange ActiveRange() const;

    // Utility of the point at the present proposal; stored in NewU.
    double PointU();

private:
    void SetP(double p);
};

// The lottery of one scaling coefficient: bisection of p within [PLo, PHi].
class TCoefficientQuestion {
public:
    int Counter = 1;
    double P = 0.5;
    double PLo = 0.0;
    double PHi = 1.0;

    // Every run starts at p = 0.5 whatever the bracket.
    void Start(double lo, double hi);
    TAnswerResult Answer(TAnswer answer, int questions);
};

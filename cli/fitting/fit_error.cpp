#include "fitting/fit_error.h"

#include <cmath>
#include <numeric>

namespace miral::cli {

void errorTerms(const FitProblem& problem, const std::vector<double>& responseDb,
                std::vector<double>& terms) {
    terms.resize(responseDb.size());
    double trebleSum = 0.0;
    int trebleCount = 0;
    for (size_t i = 0; i < responseDb.size(); ++i) {
        terms[i] = responseDb[i] - problem.targetDb[i];
        if (problem.trebleAverageHz && problem.frequenciesHz[i] > *problem.trebleAverageHz) {
            trebleSum += terms[i];
            ++trebleCount;
        }
    }
    if (trebleCount > 0)
        for (size_t i = 0; i < terms.size(); ++i)
            if (problem.frequenciesHz[i] > *problem.trebleAverageHz)
                terms[i] = trebleSum / trebleCount;
}

double meanOf(const std::vector<double>& terms) {
    return std::accumulate(terms.begin(), terms.end(), 0.0) / double(terms.size());
}

double levelFreeRms(const std::vector<double>& terms) {
    const double mean = meanOf(terms);
    double sum = 0.0;
    for (const double term : terms)
        sum += (term - mean) * (term - mean);
    return std::sqrt(sum / double(terms.size()));
}

} // namespace miral::cli

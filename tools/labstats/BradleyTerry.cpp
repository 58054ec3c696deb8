// The Bradley–Terry fit: Newton's method on the centred log-worths, whose
// log-likelihood is concave, so a step halved until it gains always converges
// once a finite maximum exists; the checks before it make sure one does.
#include <algorithm>
#include <cmath>
#include <numeric>

#include <boost/math/distributions/normal.hpp>

#include "Statistics.h"

namespace labstats {

namespace {

using TMatrix = std::vector<std::vector<double>>;

// Gauss–Jordan with partial pivoting; the matrices here are positive definite.
TMatrix Inverse(TMatrix a) {
    const std::size_t n = a.size();
    TMatrix inv(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) inv[i][i] = 1;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        std::swap(a[c], a[pivot]);
        std::swap(inv[c], inv[pivot]);
        const double d = a[c][c];
        for (std::size_t k = 0; k < n; ++k) a[c][k] /= d, inv[c][k] /= d;
        for (std::size_t r = 0; r < n; ++r) {
            if (r == c || a[r][c] == 0) continue;
            const double f = a[r][c];
            for (std::size_t k = 0; k < n; ++k) a[r][k] -= f * a[c][k], inv[r][k] -= f * inv[c][k];
        }
    }
    return inv;
}

std::string GroupText(const TPreferenceMatrix& m, const std::vector<std::size_t>& group) {
    std::string text = "{";
    for (std::size_t k = 0; k < group.size(); ++k) text += (k ? ", " : "") + std::to_string(m.excerpts[group[k]]);
    return text + "}";
}

// Groups of excerpts closed under the relation (j reachable from i and back),
// ordered so that a group comes before every group it reaches.
std::vector<std::vector<std::size_t>> Groups(const std::vector<std::vector<bool>>& reach) {
    const std::size_t n = reach.size();
    std::vector<std::vector<std::size_t>> groups;
    std::vector<bool> placed(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        if (placed[i]) continue;
        std::vector<std::size_t> g;
        for (std::size_t j = i; j < n; ++j)
            if (j == i || (reach[i][j] && reach[j][i])) g.push_back(j), placed[j] = true;
        groups.push_back(g);
    }
    // A group that reaches another reaches strictly more excerpts than it.
    auto reached = [&](const std::vector<std::size_t>& g) { return std::count(reach[g[0]].begin(), reach[g[0]].end(), true); };
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) { return reached(a) > reached(b); });
    return groups;
}

std::vector<std::vector<bool>> Closure(std::vector<std::vector<bool>> reach) {
    const std::size_t n = reach.size();
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            if (reach[i][k])
                for (std::size_t j = 0; j < n; ++j)
                    if (reach[k][j]) reach[i][j] = true;
    return reach;
}

// Why there is no finite maximum, or an empty text when there is one.
std::string Obstacle(const TPreferenceMatrix& m) {
    const std::size_t n = m.excerpts.size();
    std::vector<std::vector<bool>> met(n, std::vector<bool>(n, false)), beat = met;
    for (std::size_t i = 0; i < n; ++i) {
        met[i][i] = beat[i][i] = true;
        for (std::size_t j = 0; j < n; ++j) {
            met[i][j] = met[i][j] || m.Comparisons(i, j) > 0;
            beat[i][j] = beat[i][j] || m.prefer[i][j] > 0 || m.ties[i][j] > 0;
        }
    }
    std::string note;
    const auto parts = Groups(Closure(met));
    if (parts.size() > 1) {
        note = "scala non stimabile: ci sono gruppi di brani mai confrontati tra loro:";
        for (const auto& g : parts) note += " " + GroupText(m, g);
        return note;
    }
    const auto groups = Groups(Closure(beat));
    if (groups.size() == 1) return note;
    note = "scala non stimabile (valori infiniti):";
    for (std::size_t i = 0; i < n; ++i) {
        const std::string e = " il brano " + std::to_string(m.excerpts[i]);
        if (m.Losses(i) == 0 && m.Ties(i) == 0) note += e + " ha vinto tutti i suoi confronti;";
        if (m.Wins(i) == 0 && m.Ties(i) == 0) note += e + " ha perso tutti i suoi confronti;";
    }
    note += " ordine dei gruppi, dal preferito:";
    for (std::size_t k = 0; k < groups.size(); ++k) note += (k ? " > " : " ") + GroupText(m, groups[k]);
    return note;
}

double LogLikelihood(const TPreferenceMatrix& m, const std::vector<double>& t) {
    double ll = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        for (std::size_t j = i + 1; j < t.size(); ++j) {
            const double wij = m.prefer[i][j] + 0.5 * m.ties[i][j], wji = m.prefer[j][i] + 0.5 * m.ties[i][j];
            const double logSum = std::max(t[i], t[j]) + std::log1p(std::exp(-std::fabs(t[i] - t[j])));
            ll += wij * t[i] + wji * t[j] - (wij + wji) * logSum;
        }
    }
    return ll;
}

// The observed information plus the all-ones matrix over n: its inverse minus
// that matrix is the covariance of the centred log-worths. The gradient
// comes with it.
TMatrix Information(const TPreferenceMatrix& m, const std::vector<double>& t, std::vector<double>& gradient) {
    const std::size_t n = t.size();
    TMatrix info(n, std::vector<double>(n, 1.0 / static_cast<double>(n)));
    gradient.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            const double pij = 1 / (1 + std::exp(t[j] - t[i]));
            const double nij = m.Comparisons(i, j);
            gradient[i] += m.prefer[i][j] + 0.5 * m.ties[i][j] - nij * pij;
            info[i][i] += nij * pij * (1 - pij);
            info[i][j] -= nij * pij * (1 - pij);
        }
    }
    return info;
}

}  // namespace

TScale FitBradleyTerry(const TPreferenceMatrix& m) {
    TScale s;
    const std::size_t n = m.excerpts.size();
    if (n < 2) {
        s.strNote = "scala non stimabile: servono almeno 2 brani confrontati";
        return s;
    }
    s.strNote = Obstacle(m);
    if (!s.strNote.empty()) return s;

    std::vector<double> t(n, 0.0), g;
    for (int iter = 0; iter < 200; ++iter) {
        const TMatrix inv = Inverse(Information(m, t, g));
        std::vector<double> step(n, 0.0);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) step[i] += inv[i][j] * g[j];
        const double before = LogLikelihood(m, t);
        std::vector<double> next(n);
        double scale = 1, largest = 0;
        for (int halving = 0; halving < 40; ++halving, scale /= 2) {
            for (std::size_t i = 0; i < n; ++i) next[i] = t[i] + scale * step[i];
            if (LogLikelihood(m, next) >= before) break;
        }
        const double mean = std::accumulate(next.begin(), next.end(), 0.0) / static_cast<double>(n);
        for (std::size_t i = 0; i < n; ++i) {
            largest = std::max(largest, std::fabs(next[i] - mean - t[i]));
            t[i] = next[i] - mean;
        }
        if (largest < 1e-12) break;
    }

    const TMatrix cov = Inverse(Information(m, t, g));
    const double z = boost::math::quantile(boost::math::normal_distribution<double>(0, 1), 0.975);
    s.bOk = true;
    s.theta = t;
    for (std::size_t i = 0; i < n; ++i) {
        const double se = std::sqrt(std::max(0.0, cov[i][i] - 1.0 / static_cast<double>(n)));
        s.ciLow.push_back(t[i] - z * se);
        s.ciHigh.push_back(t[i] + z * se);
    }
    return s;
}

}  // namespace labstats

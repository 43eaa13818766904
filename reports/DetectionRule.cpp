#include "reports/DetectionRule.h"

#include "text/Strings.h"

namespace fw {

std::string_view DetectionRuleKey(DetectionRule rule) {
    return rule == DetectionRule::Interpolated ? "interpolated" : "first-fix";
}

std::string_view DetectionRuleTitle(DetectionRule rule) {
    return rule == DetectionRule::Interpolated ? "精确推算" : "首个定位点";
}

std::optional<DetectionRule> ParseDetectionRule(std::string_view key) {
    key = TrimView(key);
    for (DetectionRule rule : {DetectionRule::FirstFix, DetectionRule::Interpolated})
        if (EqualsNoCase(key, DetectionRuleKey(rule))) return rule;
    return std::nullopt;
}

std::string_view MatchingKey(Matching matching) {
    return matching == Matching::Sequence ? "sequence" : "nearest";
}

std::string_view MatchingTitle(Matching matching) {
    return matching == Matching::Sequence ? "按班次顺序" : "最近计划";
}

std::optional<Matching> ParseMatching(std::string_view key) {
    key = TrimView(key);
    for (Matching matching : {Matching::Nearest, Matching::Sequence})
        if (EqualsNoCase(key, MatchingKey(matching))) return matching;
    return std::nullopt;
}

}  // namespace fw

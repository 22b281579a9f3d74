#include "HBOCTcCheckFindings.h"

#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "HTCTclPatternMatch.h"
#include "tcl_obj_ref.h"

namespace {

std::string all_rule_names() {
    std::string names;
    for (int rule = 0; rule < HBOBoardCheck::RULE_COUNT; ++rule) {
        names += rule == 0 ? "" : rule + 1 == HBOBoardCheck::RULE_COUNT ? ", or " : ", ";
        names += HBOBoardCheck::ruleName(static_cast<HBOBoardCheck::Rule>(rule));
    }
    return names;
}

Tcl_Obj* finding_dict(const HBOCheckFinding& finding) {
    Tcl_Obj* objects = Tcl_NewListObj(0, nullptr);
    for (const std::string& name : finding.objects)
        Tcl_ListObjAppendElement(nullptr, objects, HBOCTcCheckFindings::text_obj(name));
    Tcl_Obj* dict = Tcl_NewDictObj();
    const auto put = [dict](const char* key, Tcl_Obj* value) {
        Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj(key, -1), value);
    };
    put("severity", Tcl_NewStringObj(HBOBoardCheck::severityName(finding.severity), -1));
    put("rule", Tcl_NewStringObj(finding.rule.c_str(), -1));
    put("board", HBOCTcCheckFindings::text_obj(finding.board));
    put("objects", objects);
    put("message", HBOCTcCheckFindings::text_obj(finding.message));
    return dict;
}

}  // namespace

Tcl_Obj* HBOCTcCheckFindings::text_obj(const std::string& text) {
    Tcl_DString utf;
    Tcl_ExternalToUtfDString(nullptr, text.data(), static_cast<int>(text.size()), &utf);
    Tcl_Obj* obj = Tcl_NewStringObj(Tcl_DStringValue(&utf), Tcl_DStringLength(&utf));
    Tcl_DStringFree(&utf);
    return obj;
}

Tcl_Obj* HBOCTcCheckFindings::findings_list(const std::vector<HBOCheckFinding>& findings) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (const HBOCheckFinding& finding : findings) Tcl_ListObjAppendElement(nullptr, list, finding_dict(finding));
    return list;
}

std::string HBOCTcCheckFindings::dict_text(const std::vector<HBOCheckFinding>& findings) {
    const tov::tcltasks::tcl_obj_ref list(findings_list(findings));
    int length = 0;
    const char* utf = Tcl_GetStringFromObj(list.get(), &length);
    Tcl_DString external;
    Tcl_UtfToExternalDString(nullptr, utf, length, &external);
    std::string text(Tcl_DStringValue(&external), static_cast<std::size_t>(Tcl_DStringLength(&external)));
    Tcl_DStringFree(&external);
    return text + "\n";
}

void HBOCTcCheckFindings::add_rules_named(const std::string& word, Tcl_Interp* interp, HBOBoardCheck::Rules& rules) {
    const HTCTclPatternMatch matcher(word, false, true, interp);
    bool matched = false;
    for (int rule = 0; rule < HBOBoardCheck::RULE_COUNT; ++rule) {
        if (!matcher.matchNoCase(HBOBoardCheck::ruleName(static_cast<HBOBoardCheck::Rule>(rule)), -1)) continue;
        rules.set(static_cast<std::size_t>(rule));
        matched = true;
    }
    if (!matched) {
        throw HTCErrors::error("bad rule \"" + HSTStringUtils::excerpt(word) + "\": must be " + all_rule_names(),
                               HEXAll::Kind::value, "-rules");
    }
}

#include "store/MouseProfiledata.h"

#include "store/JsonAccess.h"

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& dpi = MemberOf(Section(), "DPIStages");
    if (!dpi.isNull()) {
        activeDpiStage_ = ToInt32(MemberOf(dpi, "StageActive"));
        const Json::Value& list = MemberOf(dpi, "StageDPIs");
        for (int j = 0; j < ArraySize(list); ++j) {
            const Json::Value& item = list[j];
            DpiStage s;
            s.StageActive = ByteOf(item, "StageActive");
            s.StageXY = ByteOf(item, "StageXY");
            s.SetDpiX(Word16Of(item, "StageDPIX"));
            s.SetDpiY(Word16Of(item, "StageDPIY"));
            s.StageColorR = ByteOf(item, "StageColorR");
            s.StageColorG = ByteOf(item, "StageColorG");
            s.StageColorB = ByteOf(item, "StageColorB");
            if (static_cast<size_t>(j) < dpiStages_.size())
                dpiStages_[static_cast<size_t>(j)] = s;
            else
                dpiStages_.push_back(s);
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    Json::Value& list = ObjectMember(ObjectMember(WritableSection(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size() && IsUsableIndex(static_cast<int>(i)); ++i) {
        const DpiStage& s = stages[i];
        Json::Value& item = AsObject(ArrayElement(list, static_cast<int>(i)));
        item["StageActive"] = s.StageActive;
        item["StageXY"] = s.StageXY;
        item["StageDPIX"] = s.DpiX();
        item["StageDPIY"] = s.DpiY();
        item["StageColorR"] = s.StageColorR;
        item["StageColorG"] = s.StageColorG;
        item["StageColorB"] = s.StageColorB;
    }
}

void CMouseProfiledata::SetActiveDpiStage(int index) {
    activeDpiStage_ = index;
    ObjectMember(WritableSection(), "DPIStages")["StageActive"] = index;
}

void CMouseProfiledata::SetSystemStages(const std::array<uint32_t, 3>& words) {
    systemStages_ = words;
    MouseSystemStages s = MouseSystemStages::FromWords(words);
    Json::Value& stages = ObjectMember(WritableSection(), "SystemStages");
    stages["DoubleClickTime"] = s.DoubleClickTime;
    stages["MouseSpeed"] = s.MouseSpeed;
    stages["PointerPrecision"] = s.PointerPrecision;
    stages["ScorllPage"] = s.ScorllPage;
    stages["WheelScorlllinse"] = s.WheelScorlllinse;
    ObjectMember(WritableSection(), "ReportStages")["StageActive"] = s.ReportRate;
}

std::array<uint32_t, 3> CMouseProfiledata::GetSystemStages() {
    const Json::Value& stages = MemberOf(Section(), "SystemStages");
    MouseSystemStages s;
    s.DoubleClickTime = Word16Of(stages, "DoubleClickTime");
    s.MouseSpeed = Word16Of(stages, "MouseSpeed");
    s.PointerPrecision = Word16Of(stages, "PointerPrecision");
    s.ScorllPage = Word16Of(stages, "ScorllPage");
    s.WheelScorlllinse = Word16Of(stages, "WheelScorlllinse");
    s.ReportRate = Word16Of(MemberOf(Section(), "ReportStages"), "StageActive");
    systemStages_ = s.ToWords();
    return systemStages_;
}

std::vector<CorrectionEntry> CMouseProfiledata::GetCorrectInfo() {
    const Json::Value& list = MemberOf(Section(), "CorrectInfo");
    std::vector<CorrectionEntry> result;
    for (int i = 0; i < ArraySize(list); ++i) {
        const Json::Value& item = list[i];
        result.push_back({ByteOf(item, "CorrectPixThresh"), ByteOf(item, "CorrectMinSq"),
                          ByteOf(item, "CorrectSelect"), ToText(MemberOf(item, "CorrectName"))});
    }
    corrections_ = result;
    return result;
}

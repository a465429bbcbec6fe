#include "MainLayout.h"

namespace dorimek::mainwin {

std::span<const ControlSpec> mainWindowControls() {
    using K = ControlSpec::Kind;
    // Designer order, which is also the tab order.
    static const ControlSpec controls[] = {
        {"ListBox1", K::ListBox, 8, 24, 177, 297, ""},
        {"Label15", K::Label, 16, 8, 0, 0, "薬剤リスト(ｼﾝｸﾞﾙｸﾘｯｸで選択)"},
        {"Button47", K::Button, 304, 360, 30, 62, "英数"},
        {"Button48", K::Button, 304, 424, 30, 62, "漢"},
        {"Label16", K::Label, 200, 8, 0, 0, "処方(ﾀﾞﾌﾞﾙｸﾘｯｸで削除)"},
        {"ListBox2", K::ListBox, 192, 24, 145, 177, ""},
        {"Label17", K::Label, 352, 8, 0, 0, "用法"},
        {"Button54", K::Button, 192, 208, 73, 33, "処方取込"},
        {"Button49", K::Button, 272, 208, 65, 33, "全消去"},
        {"Button38", K::Button, 192, 248, 73, 33, "プレビュー"},
        {"Button51", K::Button, 272, 248, 65, 33, "個別編集"},
        {"Button40", K::Button, 192, 288, 73, 33, "印刷"},
        {"Button53", K::Button, 272, 288, 65, 33, "終了"},
        {"RadioGroup1", K::GroupBox, 344, 224, 121, 97, "印刷スタイル"},
        {"RadioButton1", K::RadioButton, 352, 240, 105, 25, "画像なし用法なし"},
        {"RadioButton2", K::RadioButton, 352, 264, 105, 25, "画像あり用法なし"},
        {"RadioButton3", K::RadioButton, 352, 288, 105, 25, "画像あり用法あり"},
        {"Label1", K::Label, 472, 8, 0, 0, "登録名"},
        {"Edit1", K::Edit, 528, 8, 137, 23, ""},
        {"Label2", K::Label, 472, 32, 0, 0, "表示名"},
        {"Edit2", K::Edit, 528, 32, 137, 23, ""},
        {"Label3", K::Label, 472, 54, 0, 0, "単位"},
        {"Edit3", K::Edit, 528, 56, 137, 23, ""},
        {"Label4", K::Label, 472, 80, 0, 0, "形状記号"},
        {"Edit4", K::Edit, 528, 80, 137, 23, ""},
        {"Label5", K::Label, 472, 104, 0, 0, "包装"},
        {"Edit5", K::Edit, 528, 104, 137, 23, ""},
        {"Label6", K::Label, 472, 128, 0, 0, "効能"},
        {"Memo1", K::Memo, 472, 144, 257, 57, ""},
        {"Label7", K::Label, 472, 208, 0, 0, "注意"},
        {"Memo2", K::Memo, 472, 224, 257, 65, ""},
        {"Label8", K::Label, 472, 296, 0, 0, "画像ファイル"},
        {"Edit6", K::Edit, 544, 296, 185, 23, ""},
        {"Button50", K::Button, 672, 8, 57, 33, "ﾌｧｲﾙ編集"},
        {"Button52", K::Button, 672, 56, 57, 33, "編集終了"},
        {"Label13", K::Label, 672, 96, 0, 0, "個別編集後"},
        {"Label14", K::Label, 672, 112, 0, 0, "も押すこと"},
        {"CheckBox1", K::CheckBox, 344, 326, 169, 17, "QEVから起動時プレビュー有"},
        {"Label9", K::Label, 344, 350, 0, 0, "QEVワークパス"},
        {"Edit7", K::Edit, 344, 364, 161, 20, ""},
        {"Label10", K::Label, 344, 388, 0, 0, "医院名"},
        {"Edit8", K::Edit, 344, 402, 161, 20, ""},
        {"Label11", K::Label, 344, 426, 0, 0, "電話"},
        {"Edit9", K::Edit, 344, 440, 161, 20, ""},
        {"Button55", K::Button, 348, 464, 157, 22, "設定保存"},
        {"Label12", K::Label, 528, 336, 0, 0, "使用可能プリンタ"},
        {"ListBox3", K::ListBox, 520, 360, 209, 129, ""},
        {"Button56", K::Button, 628, 328, 101, 25, "プリンタ設定"},
    };
    return controls;
}

std::span<const char* const> designTimeUsageItems() {
    static const char* const items[] = {
        "起床 直後",   "朝",          "昼",          "夕",          "眠前", "朝夕",
        "朝昼夕 食後", "朝昼夕 食前", "朝昼夕 食間", "朝昼夕 眠前", "朝昼", "昼夕",
        "4時間 間隔",  "6時間 間隔",  "8時間 間隔",  "12時間 間隔",
    };
    return items;
}

}  // namespace dorimek::mainwin

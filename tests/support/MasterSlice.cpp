#include "MasterSlice.h"

#include "TestFiles.h"

namespace dorimek::testing {

std::vector<std::string> masterSliceLines() {
    static const char* const kLines[] = {
        "ｱｾﾄｱﾐﾉﾌｪﾝｼﾞｮｳ200mg,アセトアミノフェン錠200mg「タツミ」,錠,白色素錠 TM200,200mg PTP100錠,"
        "熱を下げ、痛みをやわらげます,空腹時を避けて飲んでください,",
        "ｱﾑﾛｼﾞﾋﾟﾝﾍﾞｼﾙｻﾝｴﾝODｼﾞ,アムロジピンOD錠2.5mg「サワイ」,錠,白色口腔内崩壊錠 SW AM2.5,"
        "2.5mg PTP100錠,血圧を下げます,めまいが出たら相談してください,",
        "ｱﾑﾛｼﾞﾋﾟﾝﾍﾞｼﾙｻﾝｴﾝODｼﾞ,アムロジピンOD錠5mg「サワイ」,錠,白色口腔内崩壊錠 SW AM5,"
        "5mg PTP100錠,血圧を下げます,グレープフルーツジュースは避けてください,",
        "ｱﾑﾛｼﾞﾋﾟﾝﾍﾞｼﾙｻﾝｴﾝODｼﾞ,アムロジピンOD錠10mg「トーワ」,錠,淡黄色口腔内崩壊錠 TW AM10,"
        "10mg PTP100錠,血圧を下げます,立ちくらみに注意してください,",
        "ｶﾙﾎﾞｼｽﾃｲﾝｼﾞｮｳ250mg,カルボシステイン錠250mg「トーワ」,錠,白色フィルムコート錠 TW263,"
        "250mg PTP100錠,たんを出しやすくします,,",
        "ｾﾌﾄﾘｱｷｿﾝﾅﾄﾘｳﾑｾｲｻﾞｲﾃﾝ,セフトリアキソンナトリウム静注用0.5g「日医工」,瓶,"
        "白色～淡黄白色の粉末,"
        "0.5g 10瓶,細菌を殺します,発疹が出たらすぐに知らせてください,",
        "ｾﾌﾄﾘｱｷｿﾝﾅﾄﾘｳﾑｾｲｻﾞｲﾃﾝ,セフトリアキソンナトリウム点滴用1gバッグ「NP」,キット,"
        "白色～淡黄白色の粉末,"
        "1g 10キット（生理食塩液100mL付）,細菌を殺します,発疹が出たらすぐに知らせてください,",
        "ﾎﾞﾉﾌﾟﾗｻﾞﾝﾌﾏﾙｻﾝｴﾝｱﾓｷｼ,ボノプラザン・アモキシシリン・クラリスロマイシン配合パック「サンド」,"
        "シート,白色錠・赤褐色カプセル・白色錠,1シート（朝夕7日分）×7シート,"
        "ピロリ菌を除きます,7日間飲みきってください。下痢が続くときは相談してください,",
    };
    std::vector<std::string> lines;
    for (const char* line : kLines) lines.push_back(sjis(line));
    return lines;
}

std::string masterSliceFile() {
    std::string bytes;
    for (const std::string& line : masterSliceLines()) bytes += line + "\r\n";
    return bytes;
}

}  // namespace dorimek::testing

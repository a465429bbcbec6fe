#!/usr/bin/env python3
"""Regenerates the demo program folder samples/.

The data below is kept here in UTF-8 so it can be read and changed; the files
the program reads are written in Shift-JIS (code page 932) with CR LF after
every line, the way the clinic's own files are. The drug photos are drawn here
as well (tablets and capsules with their imprint on a neutral background):
bitmaps are written directly, JPEG files are encoded by ImageMagick's
`convert`.

    python3 tools/make-samples.py            # rewrite samples/ and check it
    python3 tools/make-samples.py --check    # only check what samples/ holds
    python3 tools/make-samples.py --out DIR  # write a copy somewhere else

Every limit that the program's readers have (line and field lengths, the
number of commas, the 127-byte lines of rp.csv, the short lines of
sorbenk.ini) is checked before anything is written and again on the files
written, so data that the program would cut or misread never reaches samples/.

The drug texts are demonstration data only and are no substitute for the
package inserts.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_OUT = ROOT / "samples"

CRLF = b"\r\n"

# ---------------------------------------------------------------------------
# The drug master file yakujo.txt
#
# One tuple per drug, in file order:
#   (RegisteredName, DisplayName, Unit, ShapeCode, Package, Efficacy, Caution,
#    ImageFile)
# The RegisteredName is what the host system sends in rp.csv and what the kana
# buttons look at (its first byte), so the records stay grouped by initial:
# letters and digits first (the "英数" button shows the list from its second
# entry), then ｱ to ﾜ, then the names that begin with a kanji.
# ---------------------------------------------------------------------------

DRUGS = [
    # --- letters and digits ---
    ("10%ｻﾘﾁﾙ酸ﾜｾﾘﾝ軟膏", "10%サリチル酸ワセリン軟膏", "g", "白色軟膏",
     "10% 20g 軟膏容器",
     "皮膚の厚く硬くなった部分をやわらかくします。",
     "決められた部位にだけ薄く塗ってください。赤みやかぶれが出たら使うのをやめて相談してください。",
     ""),
    ("ATP腸溶錠20mg", "ATP腸溶錠20mg", "錠", "淡黄色腸溶錠 AT20",
     "20mg PTP100錠",
     "めまいや耳鳴り、目の疲れなどの症状をやわらげます。",
     "かまずに、そのまま水で飲んでください。吐き気や食欲不振が続くときは相談してください。",
     ""),
    ("L-ｱｽﾊﾟﾗｷﾞﾝ酸K錠300mg", "L-アスパラギン酸カリウム錠300mg", "錠",
     "白色錠 LAK300", "300mg PTP100錠",
     "体に不足したカリウムを補います。",
     "かまずに十分な水で飲んでください。手足のしびれや脱力感、脈の乱れがあればすぐに連絡してください。",
     ""),
    # --- ｱ ---
    ("ｱｾﾄｱﾐﾉﾌｪﾝ錠200mg", "アセトアミノフェン錠200mg", "錠", "白色割線錠 AC200",
     "200mg PTP100錠",
     "熱を下げたり、頭痛や歯の痛みなどの痛みをやわらげます。",
     "決められた量と間隔を守ってください。かぜ薬など同じ成分を含む市販薬と一緒に飲まないでください。",
     "photos/acetaminophen200.jpg"),
    ("ｱﾄﾙﾊﾞｽﾀﾁﾝ錠10mg", "アトルバスタチン錠10mg", "錠", "白色フィルム錠 ATV10",
     "10mg PTP100錠",
     "血液中のコレステロールを下げ、動脈硬化を防ぎます。",
     "筋肉の痛みや力が入らない感じ、赤褐色の尿が出たときは飲むのをやめて連絡してください。",
     ""),
    ("ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "アムロジピン錠5mg", "錠", "白色錠 AML5",
     "5mg PTP100錠",
     "血管を広げて血圧を下げます。狭心症の発作を予防します。",
     "グレープフルーツジュースと一緒に飲むと効きすぎることがあります。めまい、ふらつきに注意してください。",
     "photos/amlodipine5.jpg"),
    ("ｱﾝﾌﾞﾛｷｿｰﾙ塩酸塩錠15mg", "アンブロキソール塩酸塩錠15mg", "錠",
     "白色割線錠 AB15", "15mg PTP100錠",
     "たんを出しやすくし、せきをしずめます。",
     "発疹やかゆみが出たときは飲むのをやめて相談してください。",
     ""),
    # --- ｲ ｳ ｴ ｵ ---
    ("ｲﾌﾞﾌﾟﾛﾌｪﾝ錠200mg", "イブプロフェン錠200mg", "錠", "白色糖衣錠 IB200",
     "200mg PTP100錠",
     "炎症をおさえ、痛みや熱をやわらげます。",
     "胃を荒らすことがあるので、空腹時を避けて飲んでください。胃の痛みや黒い便があれば連絡してください。",
     ""),
    ("ｳﾙｿﾃﾞｵｷｼｺｰﾙ酸錠100mg", "ウルソデオキシコール酸錠100mg", "錠",
     "白色錠 UD100", "100mg PTP100錠",
     "胆汁の流れをよくして、肝臓の働きを助けます。",
     "下痢が続くときは相談してください。",
     ""),
    ("ｴﾅﾗﾌﾟﾘﾙﾏﾚｲﾝ酸塩錠5mg", "エナラプリルマレイン酸塩錠5mg", "錠",
     "白色割線錠 EN5", "5mg PTP100錠",
     "血圧を下げます。心臓の負担を軽くします。",
     "から咳が続くことがあります。唇やのどが腫れて息苦しいときはすぐに連絡してください。",
     ""),
    ("ｴﾍﾟﾘｿﾞﾝ塩酸塩錠50mg", "エペリゾン塩酸塩錠50mg", "錠", "白色糖衣錠 EP50",
     "50mg PTP100錠",
     "肩こりや腰痛などの筋肉のこわばりをやわらげます。",
     "眠気やふらつきが出ることがあります。車の運転などには注意してください。",
     ""),
    ("ｵﾒﾌﾟﾗｿﾞｰﾙ錠20mg", "オメプラゾール錠20mg", "錠", "赤褐色腸溶錠 OM20",
     "20mg PTP100錠",
     "胃酸の分泌をおさえ、胃潰瘍や逆流性食道炎を治します。",
     "かんだり砕いたりせずに飲んでください。",
     ""),
    ("ｵﾙﾒｻﾙﾀﾝ錠20mg", "オルメサルタン錠20mg", "錠", "白色割線錠 OL20",
     "20mg PTP100錠",
     "血圧を下げます。",
     "立ちくらみやめまいが起こることがあります。急に立ち上がらないようにしてください。",
     ""),
    ("ｵﾛﾊﾟﾀｼﾞﾝ塩酸塩錠5mg", "オロパタジン塩酸塩錠5mg", "錠",
     "淡黄色フィルム錠 OP5", "5mg PTP100錠",
     "アレルギー反応をおさえ、鼻水、くしゃみ、皮膚のかゆみをやわらげます。",
     "眠気が出ることがあります。車の運転や危険を伴う機械の操作はしないでください。",
     "photos/olopatadine5.jpg"),
    # --- ｶ (the voiced ｶﾞ goes with ｶ) ---
    ("ｶﾞﾗﾝﾀﾐﾝOD錠4mg", "ガランタミンOD錠4mg", "錠", "白色口腔内崩壊錠 GL4",
     "4mg PTP56錠",
     "認知症の症状の進み方をゆるやかにします。",
     "吐き気や食欲不振が出ることがあります。口の中で溶けるので、水なしでも飲めます。",
     ""),
    ("ｶﾙﾍﾞｼﾞﾛｰﾙ錠10mg", "カルベジロール錠10mg", "錠", "白色割線錠 CV10",
     "10mg PTP100錠",
     "血圧を下げ、心臓の負担を軽くします。",
     "自分の判断で急に飲むのをやめないでください。めまい、ふらつき、脈が遅いときは相談してください。",
     ""),
    ("ｶﾙﾎﾞｼｽﾃｲﾝ錠500mg", "カルボシステイン錠500mg", "錠",
     "白色フィルム錠 CS500", "500mg PTP100錠",
     "たんを出しやすくし、鼻づまりをやわらげます。",
     "発疹やかゆみが出たときは飲むのをやめて相談してください。",
     "photos/carbocisteine500.jpg"),
    ("ｶﾝﾃﾞｻﾙﾀﾝ錠8mg", "カンデサルタン錠8mg", "錠", "淡赤色割線錠 CD8",
     "8mg PTP100錠",
     "血圧を下げます。心臓や腎臓を守ります。",
     "めまいやふらつきが出ることがあります。妊娠の可能性がある方は必ず伝えてください。",
     ""),
    # --- ｸ ｹ ---
    ("ｸﾗﾘｽﾛﾏｲｼﾝ錠200mg", "クラリスロマイシン錠200mg", "錠",
     "白色フィルム錠 CL200", "200mg PTP100錠",
     "細菌を殺して、感染症を治します。",
     "症状がよくなっても、決められた日数は最後まで飲みきってください。他の薬との飲み合わせに注意が必要です。",
     "photos/clarithromycin200.jpg"),
    ("ｸﾞﾘﾒﾋﾟﾘﾄﾞ錠1mg", "グリメピリド錠1mg", "錠", "淡紅色割線錠 GM1",
     "1mg PTP100錠",
     "すい臓からのインスリンの分泌を促し、血糖値を下げます。",
     "冷や汗、ふるえ、強い空腹感などの低血糖の症状が出たら、すぐに砂糖などをとってください。",
     ""),
    ("ｹﾄﾌﾟﾛﾌｪﾝﾃｰﾌﾟ20mg", "ケトプロフェンテープ20mg", "枚", "淡褐色貼付剤",
     "7cm×10cm 7枚入",
     "貼った所の炎症をおさえ、関節や筋肉の痛みをやわらげます。",
     "貼った所に日光が当たるとかぶれることがあります。はがした後も4週間は日光を避けてください。",
     ""),
    # --- ｻ ｼ ｽ ｾ ｿ ---
    ("ｻﾙﾎﾟｸﾞﾚﾗｰﾄ塩酸塩錠100mg", "サルポグレラート塩酸塩錠100mg", "錠",
     "淡橙色フィルム錠 SP100", "100mg PTP100錠",
     "血液を固まりにくくし、手足の血の流れをよくします。",
     "鼻血や歯ぐきの出血、あざができやすいときは相談してください。",
     ""),
    ("ｼﾀｸﾞﾘﾌﾟﾁﾝ錠50mg", "シタグリプチン錠50mg", "錠", "淡赤色フィルム錠 SG50",
     "50mg PTP100錠",
     "食事の後の血糖値の上がりすぎをおさえます。",
     "低血糖の症状（冷や汗、ふるえ、強い空腹感）に注意してください。",
     "photos/sitagliptin50.jpg"),
    ("ｼﾞｸﾛﾌｪﾅｸNa錠25mg", "ジクロフェナクナトリウム錠25mg", "錠",
     "白色糖衣錠 DF25", "25mg PTP100錠",
     "炎症をおさえ、痛みや熱をやわらげます。",
     "胃の痛み、黒い便、むくみが出たときは連絡してください。空腹時を避けて飲んでください。",
     ""),
    ("ｽﾋﾟﾛﾉﾗｸﾄﾝ錠25mg", "スピロノラクトン錠25mg", "錠", "白色フィルム錠 SL25",
     "25mg PTP100錠",
     "尿の量を増やしてむくみを取り、血圧を下げます。",
     "手足のしびれや脱力感、脈の乱れがあれば連絡してください。",
     ""),
    ("ｽﾙﾋﾟﾘﾄﾞ錠50mg", "スルピリド錠50mg", "錠", "白色錠 SU50",
     "50mg PTP100錠",
     "胃の動きを整え、気分の落ち込みをやわらげます。",
     "手のふるえや体のこわばり、生理不順が出たときは相談してください。",
     ""),
    ("ｾﾌｶﾍﾟﾝﾋﾟﾎﾞｷｼﾙ塩酸塩錠100mg", "セフカペンピボキシル塩酸塩錠100mg", "錠",
     "淡橙色フィルム錠 CF100", "100mg PTP100錠",
     "細菌を殺して、感染症を治します。",
     "発疹や下痢が続くときは相談してください。決められた日数は最後まで飲みきってください。",
     ""),
    ("ｾﾚｺｷｼﾌﾞ錠100mg", "セレコキシブ錠100mg", "錠", "白色フィルム錠 CX100",
     "100mg PTP100錠",
     "炎症をおさえ、関節や腰の痛みをやわらげます。",
     "胃の痛み、黒い便、むくみ、息切れがあれば連絡してください。",
     "photos/celecoxib100.bmp"),
    ("ｿﾞﾙﾋﾟﾃﾞﾑ酒石酸塩錠5mg", "ゾルピデム酒石酸塩錠5mg", "錠",
     "淡黄色フィルム錠 ZP5", "5mg PTP100錠",
     "寝つきをよくします。",
     "床に入る直前に飲んでください。飲んだ後の車の運転やお酒は避け、夜中に起きたときのふらつきに注意してください。",
     "photos/zolpidem5.jpg"),
    # --- ﾀ ﾃ ﾄ ﾆ ---
    ("ﾀﾑｽﾛｼﾝ塩酸塩OD錠0.2mg", "タムスロシン塩酸塩OD錠0.2mg", "錠",
     "白色口腔内崩壊錠 TM02", "0.2mg PTP100錠",
     "前立腺肥大による尿の出にくさを改善します。",
     "立ちくらみやめまいが起こることがあります。白内障の手術を受けるときは医師に伝えてください。",
     ""),
    ("ﾃﾌﾟﾚﾉﾝｶﾌﾟｾﾙ50mg", "テプレノンカプセル50mg", "ｶﾌﾟｾﾙ",
     "橙色/白色硬カプセル TP50", "50mg PTP100カプセル",
     "胃の粘膜を守り、胃炎や胃潰瘍を治します。",
     "便秘や発疹が出たときは相談してください。",
     "photos/teprenone50.jpg"),
    ("ﾃﾙﾐｻﾙﾀﾝ錠40mg", "テルミサルタン錠40mg", "錠", "白色割線錠 TL40",
     "40mg PTP100錠",
     "血圧を下げます。",
     "めまいやふらつきが出ることがあります。妊娠の可能性がある方は必ず伝えてください。",
     "photos/telmisartan40.jpg"),
    ("ﾄﾞﾝﾍﾟﾘﾄﾞﾝ錠10mg", "ドンペリドン錠10mg", "錠", "白色フィルム錠 DP10",
     "10mg PTP100錠",
     "胃の動きをよくして、吐き気や胃のもたれをおさえます。",
     "食事の前に飲みます。妊娠中またはその可能性がある方は必ず伝えてください。",
     ""),
    ("ﾄﾗﾈｷｻﾑ酸ｶﾌﾟｾﾙ250mg", "トラネキサム酸カプセル250mg", "ｶﾌﾟｾﾙ",
     "白色硬カプセル TX250", "250mg PTP100カプセル",
     "炎症や出血をおさえ、のどの腫れや痛みをやわらげます。",
     "食欲不振や吐き気が出たときは相談してください。",
     "photos/tranexamic250.bmp"),
    ("ﾆﾌｪｼﾞﾋﾟﾝCR錠20mg", "ニフェジピン徐放錠20mg", "錠", "淡赤色徐放錠 NF20",
     "20mg PTP100錠",
     "血管を広げて血圧を下げます。",
     "かんだり割ったりせずに飲んでください。グレープフルーツジュースと一緒に飲まないでください。",
     "photos/nifedipine20.jpg"),
    # --- ﾊ ﾋ ﾌ ﾍ ﾎ ---
    ("ﾊﾞﾗｼｸﾛﾋﾞﾙ錠500mg", "バラシクロビル錠500mg", "錠", "淡青色フィルム錠 VC500",
     "500mg PTP42錠",
     "ウイルスの増殖をおさえ、帯状疱疹や口唇ヘルペスを治します。",
     "水分を多めにとってください。意識がぼんやりする、尿が少ないときはすぐに連絡してください。",
     "photos/valaciclovir500.jpg"),
    ("ﾋﾞｿﾌﾟﾛﾛｰﾙﾌﾏﾙ酸塩錠2.5mg", "ビソプロロールフマル酸塩錠2.5mg", "錠",
     "淡黄色割線錠 BS25", "2.5mg PTP100錠",
     "心臓の負担を軽くし、脈を整えます。血圧を下げます。",
     "自分の判断で急に飲むのをやめないでください。脈が遅い、めまい、息切れがあれば相談してください。",
     ""),
    ("ﾋﾟｺｽﾙﾌｧｰﾄNa内用液0.75%", "ピコスルファートナトリウム内用液0.75%", "mL",
     "無色澄明の液", "0.75% 10mL ボトル",
     "腸の動きを活発にして、便通をよくします。",
     "決められた滴数を水などに混ぜて飲んでください。激しい腹痛や下痢が続くときは使うのをやめてください。",
     ""),
    ("ﾌｧﾓﾁｼﾞﾝ錠20mg", "ファモチジン錠20mg", "錠", "白色フィルム錠 FM20",
     "20mg PTP100錠",
     "胃酸の分泌をおさえ、胃潰瘍や胃炎を治します。",
     "腎臓の働きが弱い方は量の調節が必要です。発疹やめまいが出たら相談してください。",
     "photos/famotidine20.jpg"),
    ("ﾌﾟﾗﾊﾞｽﾀﾁﾝNa錠10mg", "プラバスタチンナトリウム錠10mg", "錠",
     "淡紅色割線錠 PV10", "10mg PTP100錠",
     "血液中のコレステロールを下げます。",
     "筋肉の痛みや力が入らない感じ、赤褐色の尿が出たときは連絡してください。",
     ""),
    ("ﾌﾟﾚﾄﾞﾆｿﾞﾛﾝ錠5mg", "プレドニゾロン錠5mg", "錠", "白色割線錠 PD5",
     "5mg PTP100錠",
     "炎症やアレルギーを強くおさえます。",
     "自分の判断で量を減らしたりやめたりしないでください。急にやめると体調をくずすことがあります。飲み忘れたときや、熱が出たときは相談してください。",
     "photos/prednisolone5.bmp"),
    ("ﾌﾛｾﾐﾄﾞ錠20mg", "フロセミド錠20mg", "錠", "白色割線錠 FR20",
     "20mg PTP100錠",
     "尿の量を増やして、むくみを取り血圧を下げます。",
     "トイレが近くなるので、夕方以降は飲まないようにしましょう。ふらつきや口の渇きに注意してください。",
     ""),
    ("ﾍﾊﾟﾘﾝ類似物質ｸﾘｰﾑ0.3%", "ヘパリン類似物質クリーム0.3%", "g", "白色クリーム",
     "0.3% 25g チューブ",
     "皮膚の乾燥をうるおし、血の流れをよくして、しもやけや傷あとを改善します。",
     "傷口やただれた所には塗らないでください。出血しやすい病気のある方は伝えてください。",
     ""),
    ("ﾎﾞｸﾞﾘﾎﾞｰｽOD錠0.3mg", "ボグリボースOD錠0.3mg", "錠", "白色口腔内崩壊錠 VG03",
     "0.3mg PTP100錠",
     "食後の血糖値の急な上昇をおさえます。",
     "必ず食事の直前に飲んでください。低血糖のときは砂糖ではなくブドウ糖をとってください。おなかの張りやおならが増えることがありますが、多くは次第に慣れます。",
     ""),
    # --- ﾒ ﾓ ---
    ("ﾒｺﾊﾞﾗﾐﾝ錠500μg", "メコバラミン錠500μg", "錠", "白色糖衣錠 MC500",
     "500μg PTP100錠",
     "ビタミンB12を補い、手足のしびれや痛みをやわらげます。",
     "光に弱いので、飲む直前にシートから取り出してください。",
     "photos/mecobalamin500.jpg"),
    ("ﾒﾄﾎﾙﾐﾝ塩酸塩錠250mg", "メトホルミン塩酸塩錠250mg", "錠",
     "白色フィルム錠 MT250", "250mg PTP100錠",
     "肝臓で糖が作られるのをおさえ、血糖値を下げます。",
     "造影剤を使う検査や手術の前には医師に伝えてください。お酒の飲みすぎは避けてください。",
     ""),
    ("ﾓﾝﾃﾙｶｽﾄ錠10mg", "モンテルカスト錠10mg", "錠", "淡黄色フィルム錠 MK10",
     "10mg PTP100錠",
     "ぜんそくの発作を予防し、鼻炎の症状をやわらげます。",
     "発作が起きたときにすぐ効く薬ではありません。症状がなくても毎日続けて飲んでください。",
     "photos/montelukast10.JPG"),
    # --- ﾗ ﾘ ﾚ ﾛ ﾜ ---
    ("ﾗﾍﾞﾌﾟﾗｿﾞｰﾙNa錠10mg", "ラベプラゾールナトリウム錠10mg", "錠",
     "淡黄色腸溶錠 RB10", "10mg PTP100錠",
     "胃酸の分泌をおさえ、胃潰瘍や逆流性食道炎を治します。",
     "かんだり砕いたりせずに飲んでください。",
     ""),
    ("ﾗﾝｿﾌﾟﾗｿﾞｰﾙOD錠15mg", "ランソプラゾールOD錠15mg", "錠",
     "白色口腔内崩壊錠 LP15", "15mg PTP100錠",
     "胃酸の分泌をおさえ、胃潰瘍や逆流性食道炎を治します。",
     "舌の上で崩し、唾液や水で飲みこんでください。かまないでください。",
     ""),
    ("ﾘﾅｸﾞﾘﾌﾟﾁﾝ錠5mg", "リナグリプチン錠5mg", "錠", "淡赤色フィルム錠 LN5",
     "5mg PTP100錠",
     "食事の後の血糖値の上がりすぎをおさえます。",
     "低血糖の症状に注意してください。激しい腹痛が続くときはすぐに連絡してください。",
     ""),
    ("ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg", "レバミピド錠100mg", "錠", "白色フィルム錠 RM100",
     "100mg PTP100錠",
     "胃の粘膜を守り、傷ついた粘膜の回復を助けます。",
     "発疹やかゆみが出たときは相談してください。",
     "photos/rebamipide100.jpg"),
    ("ﾚﾎﾞﾌﾛｷｻｼﾝ錠500mg", "レボフロキサシン錠500mg", "錠",
     "淡橙色フィルム錠 LV500", "500mg PTP50錠",
     "細菌を殺して、感染症を治します。",
     "胃薬や鉄剤と一緒に飲むと効き目が落ちるので、2時間以上あけてください。",
     ""),
    ("ﾛｷｿﾌﾟﾛﾌｪﾝNa錠60mg", "ロキソプロフェンナトリウム錠60mg", "錠",
     "淡紅色割線錠 LX60", "60mg PTP100錠",
     "炎症をおさえ、痛みや熱をやわらげます。",
     "胃を荒らすことがあるので、空腹時を避けて飲んでください。胃の痛み、黒い便、むくみがあれば連絡してください。",
     "photos/loxoprofen60.jpg"),
    ("ﾛｻﾙﾀﾝK錠50mg", "ロサルタンカリウム錠50mg", "錠", "白色フィルム錠 LO50",
     "50mg PTP100錠",
     "血圧を下げます。腎臓を守る働きもあります。",
     "めまいやふらつきが出ることがあります。妊娠の可能性がある方は必ず伝えてください。",
     ""),
    ("ﾜﾙﾌｧﾘﾝK錠1mg", "ワルファリンカリウム錠1mg", "錠", "淡黄色割線錠 WF1",
     "1mg PTP100錠",
     "血液を固まりにくくして、血栓ができるのを防ぎます。",
     "納豆、青汁、クロレラは効き目を弱めるので食べないでください。出血しやすくなります。他の薬を飲むときや歯の治療を受けるときは必ず伝えてください。",
     "photos/warfarin1.bmp"),
    # --- names that begin with a kanji ---
    ("葛根湯ｴｷｽ顆粒", "葛根湯エキス顆粒", "包", "淡褐色顆粒", "2.5g 分包",
     "かぜのひき始めで、寒気や頭痛、首や肩のこりがあるときに使います。",
     "食前または食間に、お湯に溶かすか水で飲んでください。動悸や汗が強く出るときは相談してください。",
     ""),
    ("芍薬甘草湯ｴｷｽ顆粒", "芍薬甘草湯エキス顆粒", "包", "淡褐色顆粒", "2.5g 分包",
     "急に起こる筋肉のけいれんや痛み（こむら返りなど）をやわらげます。",
     "長く続けて飲むと、むくみや血圧の上昇が起こることがあります。足のむくみや脱力感に注意してください。",
     ""),
    ("酸化ﾏｸﾞﾈｼｳﾑ錠330mg", "酸化マグネシウム錠330mg", "錠", "白色錠 MG330",
     "330mg PTP100錠",
     "腸の中に水分を集めて便をやわらかくし、便通をよくします。",
     "他の薬の効き目に影響することがあります。水分を十分にとってください。下痢が続くときは相談してください。",
     "photos/magnesiumoxide330.jpg"),
    ("大建中湯ｴｷｽ顆粒", "大建中湯エキス顆粒", "包", "淡褐色顆粒", "2.5g 分包",
     "おなかを温めて腸の動きをよくし、おなかの張りや冷えによる痛みをやわらげます。",
     "食前または食間に飲んでください。発疹や腹痛が出たときは相談してください。",
     ""),
]

# ---------------------------------------------------------------------------
# The settings file sorbenk.ini: eight lines in a fixed order. The usage line
# lists the choices of the usage boxes; every entry ends with ",".
# ---------------------------------------------------------------------------

USAGES = ["起床 直後", "朝", "昼", "夕", "眠前", "朝夕", "朝昼夕 食後", "朝昼夕 食前",
          "朝昼夕 食間", "朝昼夕 眠前", "朝昼", "昼夕", "4時間 間隔", "6時間 間隔",
          "8時間 間隔", "12時間 間隔", "朝夕 食後", "頓用"]

SETTINGS = [
    "prindex=-1",
    "printer=",
    "qevpath=qev/",
    "clinic=さくら内科医院",
    "tel=0123-45-6789",
    "prev=1",
    "style=3",
    "use=" + "".join("@" + u + "," for u in USAGES),
]

# ---------------------------------------------------------------------------
# The prescription rp.csv as the host system leaves it: five header lines,
# then one drug per line. Fields: 0 Rp number, 1 drug code, 2 kind,
# 3 line within the Rp, 4 "1" on the line that carries the Rp's usage (empty
# on the following lines of the same Rp), 5 drug name, 6 dose, 7 unit,
# 8 days, 9 usage.
# ---------------------------------------------------------------------------

RP_HEADER = [
    "患者番号,00012345",
    "患者氏名,ﾔﾏﾀﾞ ﾊﾅｺ,山田 花子",
    "生年月日,19520314,女",
    "処方日,20240520,内科,院外",
    "Rp,薬品ｺｰﾄﾞ,区分,行,用法有,薬剤名,用量,単位,日数,用法",
]

RP_RECORDS = [
    ["01", "621501001", "内服", "1", "1", "ｱﾑﾛｼﾞﾋﾟﾝ錠5mg", "1", "錠", "28", "朝"],
    ["01", "621501002", "内服", "2", "", "ﾃﾙﾐｻﾙﾀﾝ錠40mg", "1", "錠", "28", ""],
    ["02", "621502001", "内服", "1", "1", "ﾛｷｿﾌﾟﾛﾌｪﾝNa錠60mg", "3", "錠", "14",
     "朝昼夕 食後"],
    ["02", "621502002", "内服", "2", "", "ﾚﾊﾞﾐﾋﾟﾄﾞ錠100mg", "3", "錠", "14", ""],
    ["02", "621502003", "内服", "3", "", "ｴﾍﾟﾘｿﾞﾝ塩酸塩錠50mg", "3", "錠", "14", ""],
    ["03", "621503001", "内服", "1", "1", "ﾌｧﾓﾁｼﾞﾝ錠20mg", "2", "錠", "28", "朝夕 食後"],
    ["04", "621504001", "内服", "1", "1", "酸化ﾏｸﾞﾈｼｳﾑ錠330mg", "2", "錠", "28", "眠前"],
    ["04", "621504002", "内服", "2", "", "ｿﾞﾙﾋﾟﾃﾞﾑ酒石酸塩錠5mg", "1", "錠", "14", ""],
]

# ---------------------------------------------------------------------------
# Drug photos. Each picture: its size, a background tone and one or two
# tablets or capsules. A pair shows the front with its imprint and the back.
#   kind   "round", "oval" (ellipse), "oblong" (rounded bar), "capsule"
#   a, b   half width and half height in pixels
#   color  main colour; color2 the second half of a capsule
#   text   the imprint; score True draws a break line instead
# ---------------------------------------------------------------------------

WHITE = (246, 246, 242)
CREAM = (244, 238, 212)
PALE_YELLOW = (246, 232, 160)
PALE_PINK = (240, 196, 196)
PALE_RED = (226, 150, 146)
PALE_BLUE = (176, 204, 232)
ORANGE = (232, 136, 56)

BG_GREY = ((214, 216, 214), (188, 190, 188))
BG_WARM = ((222, 218, 210), (196, 192, 184))
BG_COOL = ((208, 214, 220), (180, 186, 194))


def tablet(kind, cx, cy, a, b, color, text="", score=False, color2=None):
    return dict(kind=kind, cx=cx, cy=cy, a=a, b=b, color=color, color2=color2,
                text=text, score=score)


PHOTOS = {
    "acetaminophen200.jpg": dict(size=(320, 240), bg=BG_GREY, items=[
        tablet("round", 92, 120, 66, 66, WHITE, text="AC200"),
        tablet("round", 228, 120, 66, 66, WHITE, score=True)]),
    "amlodipine5.jpg": dict(size=(320, 240), bg=BG_COOL, items=[
        tablet("round", 160, 120, 78, 78, WHITE, text="AML5")]),
    "olopatadine5.jpg": dict(size=(240, 320), bg=BG_GREY, items=[
        tablet("round", 120, 92, 60, 60, PALE_YELLOW, text="OP5"),
        tablet("round", 120, 228, 60, 60, PALE_YELLOW, text="5")]),
    "carbocisteine500.jpg": dict(size=(400, 200), bg=BG_WARM, items=[
        tablet("oblong", 200, 100, 150, 56, WHITE, text="CS500")]),
    "clarithromycin200.jpg": dict(size=(320, 240), bg=BG_GREY, items=[
        tablet("oval", 160, 120, 118, 70, WHITE, text="CL200")]),
    "sitagliptin50.jpg": dict(size=(300, 300), bg=BG_GREY, items=[
        tablet("round", 150, 150, 96, 96, PALE_PINK, text="SG50")]),
    "celecoxib100.bmp": dict(size=(120, 90), bg=BG_COOL, items=[
        tablet("oval", 60, 45, 46, 30, WHITE, text="CX100")]),
    "zolpidem5.jpg": dict(size=(240, 320), bg=BG_WARM, items=[
        tablet("oval", 120, 90, 84, 52, PALE_YELLOW, text="ZP5"),
        tablet("oval", 120, 226, 84, 52, PALE_YELLOW, score=True)]),
    "teprenone50.jpg": dict(size=(400, 200), bg=BG_GREY, items=[
        tablet("capsule", 200, 100, 160, 54, ORANGE, text="TP50", color2=WHITE)]),
    "telmisartan40.jpg": dict(size=(320, 240), bg=BG_GREY, items=[
        tablet("oblong", 160, 70, 120, 42, WHITE, text="TL40"),
        tablet("oblong", 160, 172, 120, 42, WHITE, score=True)]),
    "tranexamic250.bmp": dict(size=(120, 80), bg=BG_WARM, items=[
        tablet("capsule", 60, 40, 50, 19, WHITE, text="TX250", color2=CREAM)]),
    "nifedipine20.jpg": dict(size=(86, 76), bg=BG_GREY, items=[
        tablet("round", 43, 38, 30, 30, PALE_RED, text="NF20")]),
    "valaciclovir500.jpg": dict(size=(400, 200), bg=BG_GREY, items=[
        tablet("oblong", 200, 100, 160, 60, PALE_BLUE, text="VC500")]),
    "famotidine20.jpg": dict(size=(320, 240), bg=BG_COOL, items=[
        tablet("round", 160, 120, 74, 74, WHITE, text="FM20")]),
    "prednisolone5.bmp": dict(size=(86, 76), bg=BG_GREY, items=[
        tablet("round", 43, 38, 30, 30, WHITE, text="PD5")]),
    "mecobalamin500.jpg": dict(size=(172, 152), bg=BG_WARM, items=[
        tablet("round", 86, 76, 56, 56, WHITE, text="MC500")]),
    "montelukast10.JPG": dict(size=(256, 192), bg=BG_GREY, items=[
        tablet("oval", 128, 96, 92, 62, PALE_YELLOW, text="MK10")]),
    "rebamipide100.jpg": dict(size=(320, 240), bg=BG_GREY, items=[
        tablet("round", 160, 120, 72, 72, WHITE, text="RM100")]),
    "loxoprofen60.jpg": dict(size=(320, 240), bg=BG_WARM, items=[
        tablet("round", 92, 120, 62, 62, PALE_PINK, text="LX60"),
        tablet("round", 228, 120, 62, 62, PALE_PINK, score=True)]),
    "warfarin1.bmp": dict(size=(96, 112), bg=BG_COOL, items=[
        tablet("round", 48, 56, 34, 34, PALE_YELLOW, text="WF1")]),
    "magnesiumoxide330.jpg": dict(size=(200, 260), bg=BG_GREY, items=[
        tablet("round", 100, 130, 70, 70, WHITE, text="MG330")]),
}

MAX_PHOTO_BYTES = 40 * 1024

# ---------------------------------------------------------------------------
# Limits of the program's readers
# ---------------------------------------------------------------------------

YAKUJO_MAX_LINE = 318      # bytes without CR LF
YAKUJO_MAX_FIELD = 159
YAKUJO_MAX_NAME = 63
RP_MAX_LINE = 126          # bytes without the line end (127 with it)
RP_MAX_NAME = 31
RP_MAX_USAGE = 95
INI_MAX_LINE = {           # bytes of a line without its line end
    1: 62, 2: 62, 3: 62, 4: 30, 5: 30, 6: 30, 7: 30, 8: 510}

# ---------------------------------------------------------------------------
# Shift-JIS text files
# ---------------------------------------------------------------------------


def sjis(text):
    return text.encode("cp932")


def join_lines(lines):
    return b"".join(sjis(line) + CRLF for line in lines)


def yakujo_lines():
    return [",".join(record) for record in DRUGS]


def rp_lines():
    return RP_HEADER + [",".join(record) for record in RP_RECORDS]


class CheckFailed(Exception):
    pass


def fail(where, message):
    raise CheckFailed(f"{where}: {message}")


def split_crlf_lines(data, where):
    """Splits a file into lines, insisting on CR LF after every line."""
    if data.startswith(b"\xef\xbb\xbf"):
        fail(where, "starts with a byte-order mark")
    if not data.endswith(CRLF):
        fail(where, "the last line does not end with CR LF")
    lines = data[:-2].split(CRLF)
    for number, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            fail(where, f"line {number} holds a bare CR or LF")
        try:
            line.decode("cp932")
        except UnicodeDecodeError as error:
            fail(where, f"line {number} is not Shift-JIS: {error}")
    return lines


def initial_class(name_bytes):
    """Where a name's first byte puts it in the file's order."""
    first = name_bytes[0]
    if first < 0x80:
        return (0, 0)                    # letters and digits
    if 0xA1 <= first <= 0xDF:
        return (1, first)                # half-width katakana, by code
    return (2, 0)                        # double-byte: kanji and the like


def check_yakujo(data, samples_dir):
    where = "yakujo.txt"
    lines = split_crlf_lines(data, where)
    if not 40 <= len(lines) <= 60:
        fail(where, f"{len(lines)} records, want 40 to 60")
    names = []
    previous_class = None
    photos = []
    for number, line in enumerate(lines):
        tag = f"record {number}"
        if len(line) > YAKUJO_MAX_LINE:
            fail(where, f"{tag} is {len(line)} bytes, at most {YAKUJO_MAX_LINE}")
        fields = line.split(b",")
        if len(fields) != 8:
            fail(where, f"{tag} has {len(fields) - 1} commas, want 7")
        for index, field in enumerate(fields):
            if len(field) > YAKUJO_MAX_FIELD:
                fail(where, f"{tag} field {index + 1} is {len(field)} bytes")
        name = fields[0]
        if not 1 <= len(name) <= YAKUJO_MAX_NAME:
            fail(where, f"{tag} RegisteredName is {len(name)} bytes")
        if name in names:
            fail(where, f"{tag} repeats the name {name.decode('cp932')}")
        names.append(name)
        this_class = initial_class(name)
        if previous_class is not None and this_class < previous_class:
            fail(where, f"{tag} {name.decode('cp932')} is out of initial order")
        previous_class = this_class
        image = fields[7].decode("cp932")
        if image:
            if " " in image:
                fail(where, f"{tag} image name holds a blank")
            path = samples_dir / image
            if not path.is_file():
                fail(where, f"{tag} names a missing photo {image}")
            photos.append(image)
    kana_initials = {name[0] for name in names if 0xA1 <= name[0] <= 0xDF}
    if 0xB6 not in kana_initials or not any(n.startswith(sjis("ｶﾞ")) for n in names):
        fail(where, "no name under ｶ with a voiced ｶﾞ")
    if not any(n.startswith(sjis("ﾌﾟ")) for n in names):
        fail(where, "no name beginning with ﾌﾟ")
    if not any(initial_class(n)[0] == 2 for n in names):
        fail(where, "no name beginning with a kanji")
    if not any(initial_class(n)[0] == 0 for n in names):
        fail(where, "no name beginning with a letter or digit")
    share = len(photos) / len(lines)
    if not 0.25 <= share <= 0.45:
        fail(where, f"{len(photos)} of {len(lines)} records name a photo")
    return names, photos


def check_photo(path):
    data = path.read_bytes()
    where = f"photos/{path.name}"
    if len(data) >= MAX_PHOTO_BYTES:
        fail(where, f"{len(data)} bytes, want less than {MAX_PHOTO_BYTES}")
    lower = path.name.lower()
    if lower.endswith(".jpg"):
        if not data.startswith(b"\xff\xd8\xff"):
            fail(where, "is not a JPEG file")
    elif lower.endswith(".bmp"):
        if data[:2] != b"BM" or len(data) < 54:
            fail(where, "is not a Windows bitmap")
        size, = struct.unpack_from("<I", data, 2)
        header, = struct.unpack_from("<I", data, 14)
        bits, compression = struct.unpack_from("<HI", data, 28)
        if size != len(data) or header != 40 or bits != 24 or compression != 0:
            fail(where, "is not an uncompressed 24-bit bitmap")
    else:
        fail(where, "is neither .jpg nor .bmp")


def parse_usage_line(line):
    """The usage entries as the program's reader takes them from line 8."""
    equals = line.find(b"=", 0, 6)
    if equals < 0:
        return None
    pos = equals
    while pos < len(line) and line[pos] in b"=@":
        pos += 1
    entries = []
    while True:
        comma = line.find(b",", pos + 1 if entries else pos)
        if comma < 0:
            break
        entries.append(line[pos:comma])
        pos = comma + 1
        if pos < len(line) and line[pos:pos + 1] == b"@":
            pos += 1
    return entries


def check_settings(data):
    where = "sorbenk.ini"
    lines = split_crlf_lines(data, where)
    if len(lines) != 8:
        fail(where, f"{len(lines)} lines, want 8")
    keys = ["prindex=", "printer=", "qevpath=", "clinic=", "tel=", "prev=", "style="]
    for number, (line, key) in enumerate(zip(lines, keys), 1):
        if not line.startswith(key.encode()):
            fail(where, f"line {number} does not start with {key}")
    for number, line in enumerate(lines, 1):
        if len(line) > INI_MAX_LINE[number]:
            fail(where, f"line {number} is {len(line)} bytes, "
                        f"at most {INI_MAX_LINE[number]} are read back")
    if lines[5] not in (b"prev=0", b"prev=1"):
        fail(where, "line 6 is not prev=0 or prev=1")
    if lines[6] not in (b"style=1", b"style=2", b"style=3"):
        fail(where, "line 7 is not style=1, 2 or 3")
    if not lines[2].endswith(b"/"):
        fail(where, "qevpath must end with its path separator")
    entries = parse_usage_line(lines[7])
    expected = [sjis(u) for u in USAGES]
    if entries != expected:
        fail(where, "the usage line does not read back as its entries")
    if len(entries) > 32:
        fail(where, f"{len(entries)} usages, at most 32")
    return entries


def check_rp(data, names, usages):
    where = "qev/rp.csv"
    lines = split_crlf_lines(data, where)
    header, records = lines[:5], lines[5:]
    if len(header) != 5:
        fail(where, "fewer than five header lines")
    for number, line in enumerate(lines, 1):
        if len(line) > RP_MAX_LINE:
            fail(where, f"line {number} is {len(line)} bytes, at most {RP_MAX_LINE}")
    if not 6 <= len(records) <= 8:
        fail(where, f"{len(records)} drug records, want 6 to 8")
    current_usage = None
    for number, line in enumerate(records, 6):
        fields = line.split(b",")
        if len(fields) < 10:
            fail(where, f"line {number} has {len(fields)} fields, want at least 10")
        name = fields[5]
        if len(name) > RP_MAX_NAME:
            fail(where, f"line {number} drug name is {len(name)} bytes")
        if name not in names:
            fail(where, f"line {number} drug {name.decode('cp932')} is not in yakujo.txt")
        if fields[4]:
            current_usage = b",".join(fields[9:])
            if not current_usage or len(current_usage) > RP_MAX_USAGE:
                fail(where, f"line {number} usage is empty or too long")
            if current_usage not in usages:
                fail(where, f"line {number} usage is not one of sorbenk.ini's")
        elif current_usage is None:
            fail(where, f"line {number} carries a usage over but none came before")


def check_folder(samples_dir):
    names, photos = check_yakujo((samples_dir / "yakujo.txt").read_bytes(), samples_dir)
    usages = check_settings((samples_dir / "sorbenk.ini").read_bytes())
    check_rp((samples_dir / "qev" / "rp.csv").read_bytes(), names, usages)
    on_disk = sorted(p.name for p in (samples_dir / "photos").iterdir())
    named = sorted(Path(p).name for p in photos)
    if on_disk != named:
        fail("photos/", f"files {on_disk} differ from those named {named}")
    for name in on_disk:
        check_photo(samples_dir / "photos" / name)
    return len(names), len(photos)


# ---------------------------------------------------------------------------
# Drawing the photos
# ---------------------------------------------------------------------------

FONT = {
    "0": ("01110", "10001", "10011", "10101", "11001", "10001", "01110"),
    "1": ("00100", "01100", "00100", "00100", "00100", "00100", "01110"),
    "2": ("01110", "10001", "00001", "00010", "00100", "01000", "11111"),
    "3": ("11111", "00010", "00100", "00010", "00001", "10001", "01110"),
    "4": ("00010", "00110", "01010", "10010", "11111", "00010", "00010"),
    "5": ("11111", "10000", "11110", "00001", "00001", "10001", "01110"),
    "6": ("00110", "01000", "10000", "11110", "10001", "10001", "01110"),
    "7": ("11111", "00001", "00010", "00100", "01000", "01000", "01000"),
    "8": ("01110", "10001", "10001", "01110", "10001", "10001", "01110"),
    "9": ("01110", "10001", "10001", "01111", "00001", "00010", "01100"),
    "A": ("01110", "10001", "10001", "11111", "10001", "10001", "10001"),
    "B": ("11110", "10001", "10001", "11110", "10001", "10001", "11110"),
    "C": ("01110", "10001", "10000", "10000", "10000", "10001", "01110"),
    "D": ("11100", "10010", "10001", "10001", "10001", "10010", "11100"),
    "E": ("11111", "10000", "10000", "11110", "10000", "10000", "11111"),
    "F": ("11111", "10000", "10000", "11110", "10000", "10000", "10000"),
    "G": ("01110", "10001", "10000", "10111", "10001", "10001", "01111"),
    "H": ("10001", "10001", "10001", "11111", "10001", "10001", "10001"),
    "I": ("01110", "00100", "00100", "00100", "00100", "00100", "01110"),
    "J": ("00111", "00010", "00010", "00010", "00010", "10010", "01100"),
    "K": ("10001", "10010", "10100", "11000", "10100", "10010", "10001"),
    "L": ("10000", "10000", "10000", "10000", "10000", "10000", "11111"),
    "M": ("10001", "11011", "10101", "10101", "10001", "10001", "10001"),
    "N": ("10001", "10001", "11001", "10101", "10011", "10001", "10001"),
    "O": ("01110", "10001", "10001", "10001", "10001", "10001", "01110"),
    "P": ("11110", "10001", "10001", "11110", "10000", "10000", "10000"),
    "Q": ("01110", "10001", "10001", "10001", "10101", "10010", "01101"),
    "R": ("11110", "10001", "10001", "11110", "10100", "10010", "10001"),
    "S": ("01111", "10000", "10000", "01110", "00001", "00001", "11110"),
    "T": ("11111", "00100", "00100", "00100", "00100", "00100", "00100"),
    "U": ("10001", "10001", "10001", "10001", "10001", "10001", "01110"),
    "V": ("10001", "10001", "10001", "10001", "10001", "01010", "00100"),
    "W": ("10001", "10001", "10001", "10101", "10101", "10101", "01010"),
    "X": ("10001", "10001", "01010", "00100", "01010", "10001", "10001"),
    "Y": ("10001", "10001", "01010", "00100", "00100", "00100", "00100"),
    "Z": ("11111", "00001", "00010", "00100", "01000", "10000", "11111"),
    "-": ("00000", "00000", "00000", "11111", "00000", "00000", "00000"),
}

LIGHT = (-0.42, -0.56, 0.71)
_norm = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _norm for c in LIGHT)
_half = (LIGHT[0], LIGHT[1], LIGHT[2] + 1.0)
_norm = math.sqrt(sum(c * c for c in _half))
HALF = tuple(c / _norm for c in _half)


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        top, bottom = background
        self.pixels = []
        for y in range(height):
            t = y / max(1, height - 1)
            row_colour = [top[c] + (bottom[c] - top[c]) * t for c in range(3)]
            for x in range(width):
                # a faint vignette keeps the picture from looking flat
                dx = (x - width / 2) / width
                dy = (y - height / 2) / height
                fade = 1.0 - 0.10 * (dx * dx + dy * dy) * 2
                self.pixels.append([v * fade for v in row_colour])

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        pixel = self.pixels[y * self.width + x]
        for c in range(3):
            pixel[c] += (colour[c] - pixel[c]) * alpha

    def rgb_rows(self):
        """Rows top to bottom, each a bytes object of R G B triples."""
        rows = []
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                for value in self.pixels[y * self.width + x]:
                    row.append(max(0, min(255, int(round(value)))))
            rows.append(bytes(row))
        return rows


def shape_geometry(item, x, y, shrink=0.0):
    """Returns (distance to the rim in pixels, u_x, u_y, rim radius) where
    (u_x, u_y) points from the centre outwards, 0 at the centre and 1 at the rim."""
    a = item["a"] - shrink
    b = item["b"] - shrink
    dx = x - item["cx"]
    dy = y - item["cy"]
    if item["kind"] in ("round", "oval"):
        ux, uy = dx / a, dy / b
        k = math.hypot(ux, uy)
        radius = min(a, b)
        return (k - 1.0) * radius, ux, uy, radius
    straight = a - b
    px = math.copysign(max(abs(dx) - straight, 0.0), dx)
    distance = math.hypot(px, dy) - b
    return distance, px / b, dy / b, b


def draw_shadow(canvas, item):
    radius = min(item["a"], item["b"])
    offset_x = 0.06 * radius + 1
    offset_y = 0.10 * radius + 1
    blur = 0.12 * radius + 1.5
    shadow = dict(item, cx=item["cx"] + offset_x, cy=item["cy"] + offset_y)
    for y, x in item_box(canvas, shadow, blur):
        distance = shape_geometry(shadow, x + 0.5, y + 0.5)[0]
        alpha = 0.30 * min(1.0, max(0.0, (blur - distance) / (2 * blur)))
        canvas.blend(x, y, (60, 60, 60), alpha)


def item_box(canvas, item, margin):
    x0 = max(0, int(item["cx"] - item["a"] - margin))
    x1 = min(canvas.width, int(item["cx"] + item["a"] + margin) + 2)
    y0 = max(0, int(item["cy"] - item["b"] - margin))
    y1 = min(canvas.height, int(item["cy"] + item["b"] + margin) + 2)
    for y in range(y0, y1):
        for x in range(x0, x1):
            yield y, x


def surface_slope(item, k):
    """How steep the surface is at a point k of the way from centre to rim:
    tablets are flat with a bevelled edge, capsules are round."""
    if item["kind"] == "capsule":
        k = min(k, 0.995)
        return k / math.sqrt(1.0 - k * k)
    if k < 0.80:
        return 0.35 * k
    return 0.28 + 4.5 * (k - 0.80)


def draw_body(canvas, item):
    for y, x in item_box(canvas, item, 2):
        px, py = x + 0.5, y + 0.5
        distance, ux, uy, _ = shape_geometry(item, px, py)
        cover = min(1.0, max(0.0, 0.5 - distance))
        if cover <= 0.0:
            continue
        k = math.hypot(ux, uy)
        slope = surface_slope(item, min(k, 1.0))
        if k > 1e-6:
            nx, ny = ux / k * slope, uy / k * slope
        else:
            nx = ny = 0.0
        length = math.sqrt(nx * nx + ny * ny + 1.0)
        normal = (nx / length, ny / length, 1.0 / length)
        diffuse = max(0.0, sum(n * l for n, l in zip(normal, LIGHT)))
        specular = max(0.0, sum(n * h for n, h in zip(normal, HALF))) ** 36
        base = item["color"]
        if item["kind"] == "capsule" and item["color2"] and px > item["cx"]:
            base = item["color2"]
        shade = 0.42 + 0.66 * diffuse
        colour = [min(255.0, c * shade + 150 * specular) for c in base]
        canvas.blend(x, y, colour, cover)
    if item["kind"] == "capsule":
        draw_capsule_seam(canvas, item)


def draw_capsule_seam(canvas, item):
    seam_x = item["cx"] - 0.08 * item["a"]
    for y, x in item_box(canvas, item, 0):
        distance = shape_geometry(item, x + 0.5, y + 0.5)[0]
        if distance > -1.0:
            continue
        cover = max(0.0, 1.0 - abs(x + 0.5 - seam_x))
        if cover > 0:
            pixel = canvas.pixels[y * canvas.width + x]
            canvas.blend(x, y, [v * 0.72 for v in pixel], cover * 0.8)


def draw_score(canvas, item):
    """A break line across the tablet, as on the back of a scored tablet."""
    half_width = max(0.8, 0.035 * item["b"])
    for y, x in item_box(canvas, item, 0):
        distance, ux, uy, radius = shape_geometry(item, x + 0.5, y + 0.5)
        if distance > -0.10 * radius:
            continue
        offset = abs(y + 0.5 - item["cy"])
        cover = min(1.0, max(0.0, half_width + 0.5 - offset))
        if cover > 0:
            pixel = canvas.pixels[y * canvas.width + x]
            canvas.blend(x, y, [v * 0.70 for v in pixel], cover)


def draw_imprint(canvas, item):
    text = item["text"]
    for char in text:
        if char not in FONT:
            raise ValueError(f"no glyph for imprint character {char!r}")
    columns = len(text) * 6 - 1
    if item["kind"] == "capsule":
        # printed on the first half of the capsule, in dark ink
        centre_x = item["cx"] - 0.50 * item["a"]
        room_w = 0.62 * item["a"]
        room_h = 0.45 * item["b"] * 2
        ink = None
    else:
        centre_x = item["cx"]
        room_w = 1.25 * item["a"]
        room_h = 0.42 * item["b"] * 2
        ink = [c * 0.55 for c in item["color"]]
    scale = min(room_w / columns, room_h / 7.0, 0.23 * item["b"])
    width, height = columns * scale, 7 * scale
    left = centre_x - width / 2
    top = item["cy"] - height / 2
    samples = 3
    for y in range(max(0, int(top) - 1), min(canvas.height, int(top + height) + 2)):
        for x in range(max(0, int(left) - 1), min(canvas.width, int(left + width) + 2)):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    gx = (x + (sx + 0.5) / samples - left) / scale
                    gy = (y + (sy + 0.5) / samples - top) / scale
                    if glyph_pixel(text, gx, gy):
                        hits += 1
            if hits:
                colour = ink or (54, 48, 44)
                if ink:
                    pixel = canvas.pixels[y * canvas.width + x]
                    colour = [v * 0.62 for v in pixel]
                canvas.blend(x, y, colour, hits / (samples * samples))


def glyph_pixel(text, gx, gy):
    if gx < 0 or gy < 0:
        return False
    column, row = int(gx), int(gy)
    if row >= 7:
        return False
    index, within = divmod(column, 6)
    if index >= len(text) or within == 5:
        return False
    return FONT[text[index]][row][within] == "1"


def render_photo(picture):
    width, height = picture["size"]
    canvas = Canvas(width, height, picture["bg"])
    for item in picture["items"]:
        draw_shadow(canvas, item)
    for item in picture["items"]:
        draw_body(canvas, item)
        if item["score"]:
            draw_score(canvas, item)
        if item["text"]:
            draw_imprint(canvas, item)
    return canvas


def write_bmp(path, canvas):
    """An uncompressed 24-bit Windows bitmap, rows bottom to top."""
    rows = canvas.rgb_rows()
    stride = (canvas.width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        bgr = bytearray(len(row))
        bgr[0::3], bgr[1::3], bgr[2::3] = row[2::3], row[1::3], row[0::3]
        body += bgr + b"\0" * (stride - len(row))
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info_header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24,
                              0, len(body), 2835, 2835, 0, 0)
    path.write_bytes(file_header + info_header + bytes(body))


def write_jpeg(path, canvas, workdir):
    rows = canvas.rgb_rows()
    ppm = workdir / (path.name + ".ppm")
    ppm.write_bytes(b"P6\n%d %d\n255\n" % (canvas.width, canvas.height) + b"".join(rows))
    convert = shutil.which("convert")
    if convert is None:
        raise SystemExit("ImageMagick's convert is needed for the JPEG photos "
                         "(apt-get install imagemagick)")
    subprocess.run([convert, str(ppm), "-strip", "-quality", "90",
                    "-sampling-factor", "2x2,1x1,1x1", "JPEG:" + str(path)], check=True)


# ---------------------------------------------------------------------------
# Writing the folder
# ---------------------------------------------------------------------------


def check_sources():
    """Catches a mistake in the tables above before any file is touched."""
    named = {Path(record[7]).name for record in DRUGS if record[7]}
    if named != set(PHOTOS):
        raise CheckFailed(f"photos named {sorted(named)} but drawn {sorted(PHOTOS)}")
    for record in DRUGS:
        if len(record) != 8:
            raise CheckFailed(f"{record[0]}: {len(record)} fields")
        for field in record:
            if "," in field or "\r" in field or "\n" in field:
                raise CheckFailed(f"{record[0]}: a field holds a comma or line end")
            sjis(field)


def write_folder(out):
    check_sources()
    (out / "photos").mkdir(parents=True, exist_ok=True)
    (out / "qev").mkdir(parents=True, exist_ok=True)
    (out / "yakujo.txt").write_bytes(join_lines(yakujo_lines()))
    (out / "sorbenk.ini").write_bytes(join_lines(SETTINGS))
    (out / "qev" / "rp.csv").write_bytes(join_lines(rp_lines()))
    for stale in (out / "photos").iterdir():
        if stale.name not in PHOTOS:
            stale.unlink()
    with tempfile.TemporaryDirectory() as work:
        for name, picture in sorted(PHOTOS.items()):
            canvas = render_photo(picture)
            path = out / "photos" / name
            if name.lower().endswith(".bmp"):
                write_bmp(path, canvas)
            else:
                write_jpeg(path, canvas, Path(work))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="only check the folder, write nothing")
    parser.add_argument("--out", type=Path, default=DEFAULT_OUT,
                        help="folder to write (default: samples/ of the source tree)")
    args = parser.parse_args()
    try:
        if not args.check:
            write_folder(args.out)
        records, photos = check_folder(args.out)
    except CheckFailed as error:
        print(f"make-samples: {error}", file=sys.stderr)
        return 1
    print(f"{args.out}: {records} drugs, {photos} photos, settings and rp.csv check out")
    return 0


if __name__ == "__main__":
    sys.exit(main())

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ja_JP">
<context>
    <name>ConditionsForm</name>
    <message>
        <source>六切サイズ 縦</source>
        <translation>8×10 tall</translation>
    </message>
    <message>
        <source>六切サイズ 横</source>
        <translation>8×10 wide</translation>
    </message>
    <message>
        <source>四切サイズ 縦</source>
        <translation>10×12 tall</translation>
    </message>
    <message>
        <source>四切サイズ 横</source>
        <translation>10×12 wide</translation>
    </message>
    <message>
        <source>大四サイズ 縦</source>
        <translation>11×14 tall</translation>
    </message>
    <message>
        <source>大四サイズ 横</source>
        <translation>11×14 wide</translation>
    </message>
    <message>
        <source>大角サイズ</source>
        <translation>14×14</translation>
    </message>
    <message>
        <source>半切サイズ 縦</source>
        <translation>14×17 tall</translation>
    </message>
    <message>
        <source>半切サイズ 横</source>
        <translation>14×17 wide</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>円形照射野</source>
        <translation>Circular</translation>
    </message>
    <message>
        <source>&#x3000;長軸方向サイズ</source>
        <translation> Long side</translation>
    </message>
    <message>
        <source>  照射野サイズ（直径）</source>
        <translation> Field diameter</translation>
    </message>
    <message>
        <source>%1の計算結果が数値になりませんでした。</source>
        <translation>The calculation of the %1 did not give a number.</translation>
    </message>
    <message>
        <source>  高電圧整流方式  </source>
        <translation>  Generator waveform  </translation>
    </message>
    <message>
        <source>定電圧・インバータ</source>
        <translation>Constant potential</translation>
    </message>
    <message>
        <source>三相12ピーク</source>
        <translation>3-phase 12-pulse</translation>
    </message>
    <message>
        <source>単相全波</source>
        <translation>1-phase 2-pulse</translation>
    </message>
    <message>
        <source> Ｘ線管ターゲット角度</source>
        <translation> Anode angle</translation>
    </message>
    <message>
        <source>&#x3000;度</source>
        <translation> deg</translation>
    </message>
    <message>
        <source> 固有フィルタ (Al当量)</source>
        <translation> Inherent filter (Al eq.)</translation>
    </message>
    <message>
        <source> 付加フィルタ (アルミ)</source>
        <translation> Added filter (Al)</translation>
    </message>
    <message>
        <source> 付加フィルタ（ 銅 ）</source>
        <translation> Added filter (Cu)</translation>
    </message>
    <message>
        <source>&#x3000;Ｘ線管電圧</source>
        <translation> Tube voltage</translation>
    </message>
    <message>
        <source>&#x3000;焦点-受像器間距離</source>
        <translation> Focus–receptor distance</translation>
    </message>
    <message>
        <source>&#x3000;被写体厚</source>
        <translation> Object thickness</translation>
    </message>
    <message>
        <source>&#x3000;焦点-入射表面間距離</source>
        <translation> Focus–surface distance</translation>
    </message>
    <message>
        <source> 受像面での照射野サイズ</source>
        <translation> Field size at receptor</translation>
    </message>
    <message>
        <source>&#x3000;単軸方向サイズ</source>
        <translation> Short side</translation>
    </message>
    <message>
        <source>後方散乱係数（Back-Scatter Factor）</source>
        <translation>Backscatter factor (BSF)</translation>
    </message>
    <message>
        <source>軟部組織吸収線量に基づく BSF</source>
        <translation>BSF based on soft-tissue dose</translation>
    </message>
    <message>
        <source>皮膚組織吸収線量に基づく BSF</source>
        <translation>BSF based on skin dose</translation>
    </message>
    <message>
        <source>空気カーマに基づく BSF</source>
        <translation>BSF based on air kerma</translation>
    </message>
    <message>
        <source>参考データ    Al 半価層</source>
        <translation>For reference:  Al half-value layer</translation>
    </message>
    <message>
        <source>

計算は行われていません。入力はそのまま残っています。</source>
        <translation>

Nothing was calculated. Your input is kept as it is.</translation>
    </message>
    <message>
        <source>計算プログラムを起動できません。

%1</source>
        <translation>The calculation program cannot be started.

%1</translation>
    </message>
    <message>
        <source>X 線スペクトル</source>
        <translation>X-ray spectrum</translation>
    </message>
    <message>
        <source>半価層</source>
        <translation>half-value layer</translation>
    </message>
    <message>
        <source>入射表面：平面</source>
        <translation>Entrance surface: flat</translation>
    </message>
    <message>
        <source>この条件で計算する</source>
        <translation>Calculate with these conditions</translation>
    </message>
    <message>
        <source>入射表面線量の計算</source>
        <translation>Entrance dose…</translation>
    </message>
    <message>
        <source>この結果から入射表面線量を計算し、報告書を作ります</source>
        <translation>Entrance doses from this result, and a report</translation>
    </message>
    <message>
        <source>”微分後方散乱係数法” については、下記の文献を参照して下さい</source>
        <translation>On the “differential backscatter factor method”, see the following.</translation>
    </message>
    <message>
        <source>表の作り方（平板軟部組織ファントムのモンテカルロ計算）と、モンテカルロ法による計算との一致の検証は、データ説明書（ソースの data/README.md、インストール先の share/doc/orbisan/data-provenance.md）に記載しています。</source>
        <translation>How the tables were made (Monte Carlo runs in a flat soft-tissue phantom) and how they were checked against full Monte Carlo calculations is described in data/README.md of the sources, installed as share/doc/orbisan/data-provenance.md.</translation>
    </message>
    <message>
        <source>後方散乱係数</source>
        <translation>backscatter factor</translation>
    </message>
    <message>
        <source>入射面：</source>
        <translation>Surface:</translation>
    </message>
    <message>
        <source>入射表面の形状</source>
        <translation>Entrance surface shape</translation>
    </message>
    <message>
        <source>計算結果表示</source>
        <translation>Show the result</translation>
    </message>
</context>
<context>
    <name>DoseForm</name>
    <message>
        <source>入射表面線量の計算</source>
        <translation>Entrance surface dose</translation>
    </message>
    <message>
        <source>  入射空気カーマ（後方散乱を含まない空気中の値）  </source>
        <translation>  Incident air kerma (free in air, without backscatter)  </translation>
    </message>
    <message>
        <source>測定値</source>
        <translation>Measured</translation>
    </message>
    <message>
        <source>測定点（焦点から）</source>
        <translation>at (from the focus)</translation>
    </message>
    <message>
        <source>空欄のときは入射表面（焦点-入射表面間距離）で測定した値です</source>
        <translation>Leave empty for a value measured at the entrance surface (the focus–surface distance)</translation>
    </message>
    <message>
        <source>cm（空欄: 入射表面）</source>
        <translation>cm (empty: at the surface)</translation>
    </message>
    <message>
        <source>管出力（100 cm）</source>
        <translation>Tube output (100 cm)</translation>
    </message>
    <message>
        <source>撮影 mAs 値</source>
        <translation>Exposure mAs</translation>
    </message>
    <message>
        <source>相対標準不確かさ</source>
        <translation>Relative std. uncertainty</translation>
    </message>
    <message>
        <source>空気カーマの相対標準不確かさ（k = 1）。空欄のときは考慮しません</source>
        <translation>Relative standard uncertainty of the air kerma (k = 1); leave empty to ignore it</translation>
    </message>
    <message>
        <source>%（任意）</source>
        <translation>% (optional)</translation>
    </message>
    <message>
        <source>線量を計算する</source>
        <translation>Calculate the doses</translation>
    </message>
    <message>
        <source>入射表面での入射空気カーマ</source>
        <translation>Incident air kerma at the surface</translation>
    </message>
    <message>
        <source>入射表面空気カーマ (ESAK)</source>
        <translation>Entrance surface air kerma (ESAK)</translation>
    </message>
    <message>
        <source>入射表面の軟部組織吸収線量</source>
        <translation>Entrance soft-tissue dose</translation>
    </message>
    <message>
        <source>入射表面の皮膚吸収線量</source>
        <translation>Entrance skin dose</translation>
    </message>
    <message>
        <source>  測定した半価層から付加フィルタを求める  </source>
        <translation>  Added filter from a measured half-value layer  </translation>
    </message>
    <message>
        <source>Al 半価層（測定値）</source>
        <translation>Measured Al HVL</translation>
    </message>
    <message>
        <source>付加フィルタを求める</source>
        <translation>Find the added filter</translation>
    </message>
    <message>
        <source>クリップボードにコピー</source>
        <translation>Copy to clipboard</translation>
    </message>
    <message>
        <source>報告書を保存 (PDF)</source>
        <translation>Save report (PDF)</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Orbisan — 入射表面線量</source>
        <translation>Orbisan — entrance surface dose</translation>
    </message>
    <message>
        <source>（測定半価層 %1 mm Al から）</source>
        <translation> (for the measured HVL %1 mm Al)</translation>
    </message>
    <message>
        <source>%1: %2 kV、付加フィルタ %3 mm Al%4 + %5 mm Cu、焦点-入射表面間距離 %6 cm
後方散乱係数  空気カーマ %7、軟部組織 %8、皮膚 %9</source>
        <translation>%1: %2 kV, added filter %3 mm Al%4 + %5 mm Cu, focus–surface distance %6 cm
Backscatter factors: air kerma %7, soft tissue %8, skin %9</translation>
    </message>
    <message>
        <source>この線質の質量エネルギー吸収係数比（空気カーマスペクトルで平均）
軟部組織/空気 %1、皮膚/空気 %2</source>
        <translation>Energy-absorption coefficient ratios of this beam (air-kerma weighted):
soft tissue/air %1, skin/air %2</translation>
    </message>
    <message>
        <source>元の画面に計算結果がありません。元の画面で計算すると、その結果で線量を計算します。</source>
        <translation>The calculation window shows no result. Calculate there, and the doses are formed with its result.</translation>
    </message>
    <message>
        <source>%1 に「%2」と入力されています。
0 より大きく %3 以下の数値を入れてください。</source>
        <translation>%1: “%2” is not usable.
Enter a number greater than 0 and at most %3.</translation>
    </message>
    <message>
        <source>入射空気カーマの測定値 (mGy)</source>
        <translation>Measured incident air kerma (mGy)</translation>
    </message>
    <message>
        <source>測定点の焦点からの距離 (cm)</source>
        <translation>Distance of the measuring point from the focus (cm)</translation>
    </message>
    <message>
        <source>管出力 (µGy/mAs)</source>
        <translation>Tube output (µGy/mAs)</translation>
    </message>
    <message>
        <source>mAs 値</source>
        <translation>mAs</translation>
    </message>
    <message>
        <source>相対標準不確かさ (%)</source>
        <translation>Relative standard uncertainty (%)</translation>
    </message>
    <message>
        <source>± は標準不確かさ（k = 1）です。</source>
        <translation>± gives the standard uncertainty (k = 1).</translation>
    </message>
    <message>
        <source>Al 半価層に「%1」と入力されています。
測定した半価層 (mm) を数値で入れてください。</source>
        <translation>Al half-value layer: “%1” is not a number.
Enter the measured half-value layer in mm.</translation>
    </message>
    <message>
        <source>管電圧 %1 kV、固有フィルタ %2 mm、付加フィルタ（銅）%3 mm のとき、半価層 %4 mm Al には付加フィルタ（アルミ）%5 mm が必要です。</source>
        <translation>At %1 kV with %2 mm inherent filtration and %3 mm added copper, a half-value layer of %4 mm Al needs %5 mm of added aluminium.</translation>
    </message>
    <message>
        <source>

元の画面の「付加フィルタ (アルミ)」に %1 を入れますか？
後方散乱係数と線量は、元の画面で計算し直すと新しい線質の値になります。</source>
        <translation>

Put %1 into “Added filter (Al)” of the calculation window?
The backscatter factors and doses are those of the new beam once you calculate there again.</translation>
    </message>
    <message>
        <source>付加フィルタに %1 mm を入れました。元の画面で「この条件で計算する」を押すと、この画面も新しい結果で計算し直します。</source>
        <translation>Added filter set to %1 mm. Press “Calculate with these conditions” in the calculation window, and this window follows the new result.</translation>
    </message>
    <message>
        <source>データファイルを読めないため、報告を作れません。

%1</source>
        <translation>The report cannot be made because a data file cannot be read.

%1</translation>
    </message>
    <message>
        <source>報告の内容をクリップボードにコピーしました。</source>
        <translation>The report was copied to the clipboard.</translation>
    </message>
    <message>
        <source>報告書を保存</source>
        <translation>Save the report</translation>
    </message>
    <message>
        <source>PDF ファイル (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>報告書を保存できませんでした。

%1
（%2）</source>
        <translation>The report could not be saved.

%1
(%2)</translation>
    </message>
    <message>
        <source>報告書を保存しました: %1</source>
        <translation>Report saved: %1</translation>
    </message>
</context>
<context>
    <name>DoseReport</name>
    <message>
        <source>三相12ピーク</source>
        <translation>3-phase 12-pulse</translation>
    </message>
    <message>
        <source>単相全波</source>
        <translation>1-phase 2-pulse</translation>
    </message>
    <message>
        <source>定電圧・インバータ</source>
        <translation>constant potential (inverter)</translation>
    </message>
    <message>
        <source>%1 mm Al</source>
        <translation>%1 mm Al</translation>
    </message>
    <message>
        <source>29.9 mm Al を超える</source>
        <translation>above 29.9 mm Al</translation>
    </message>
    <message>
        <source>、%1 ヒストリー</source>
        <translation>, %1 histories</translation>
    </message>
    <message>
        <source>モンテカルロ法（円柱、半径 %1 cm%2）</source>
        <translation>Monte Carlo (cylinder, radius %1 cm%2)</translation>
    </message>
    <message>
        <source>モンテカルロ法（楕円柱、横半径 %1 cm・縦半径 %2 cm%3）</source>
        <translation>Monte Carlo (elliptic cylinder, semi-axes %1 cm across, %2 cm deep%3)</translation>
    </message>
    <message>
        <source>モンテカルロ法（レーストラック形、a %1 cm・b %2 cm・長さ %3 cm%4）</source>
        <translation>Monte Carlo (racetrack, a %1 cm, b %2 cm, length %3 cm%4)</translation>
    </message>
    <message>
        <source>微分後方散乱係数法（入射表面：平面）</source>
        <translation>Differential backscatter factors, flat entrance surface</translation>
    </message>
    <message>
        <source>光子エネルギー (keV)</source>
        <translation>Photon energy (keV)</translation>
    </message>
    <message>
        <source>相対値（最大値 = 1）</source>
        <translation>Relative (peak = 1)</translation>
    </message>
    <message>
        <source>— 光子数</source>
        <translation>— photons</translation>
    </message>
    <message>
        <source>— 空気カーマ</source>
        <translation>— air kerma</translation>
    </message>
    <message>
        <source>--- 平均エネルギー %1 keV</source>
        <translation>--- mean energy %1 keV</translation>
    </message>
    <message>
        <source>半価層 %1</source>
        <translation>HVL %1</translation>
    </message>
    <message>
        <source>後方散乱係数と入射表面線量の報告</source>
        <translation>Backscatter factors and entrance surface dose</translation>
    </message>
    <message>
        <source>作成日時: %1&#x3000;プログラム: Orbisan %2</source>
        <translation>Made: %1   Program: Orbisan %2</translation>
    </message>
    <message>
        <source>■ 照射条件</source>
        <translation>■ Exposure</translation>
    </message>
    <message>
        <source>管電圧 %1 kV、高電圧整流方式 %2、ターゲット角度 %3 度</source>
        <translation>Tube voltage %1 kV, generator %2, anode angle %3°</translation>
    </message>
    <message>
        <source>固有フィルタ %1 mm Al、付加フィルタ %2 mm Al + %3 mm Cu</source>
        <translation>Inherent filtration %1 mm Al, added filtration %2 mm Al + %3 mm Cu</translation>
    </message>
    <message>
        <source>（付加アルミは測定半価層 %1 mm Al から求めた値）</source>
        <translation> (added aluminium found for the measured HVL %1 mm Al)</translation>
    </message>
    <message>
        <source>焦点-受像器間距離 %1 cm、焦点-入射表面間距離 %2 cm、被写体厚 %3 cm</source>
        <translation>Focus–receptor distance %1 cm, focus–surface distance %2 cm, object thickness %3 cm</translation>
    </message>
    <message>
        <source>照射野（受像面）: 直径 %1 cm</source>
        <translation>Field at the receptor: diameter %1 cm</translation>
    </message>
    <message>
        <source>照射野（受像面）: %1 × %2 cm</source>
        <translation>Field at the receptor: %1 × %2 cm</translation>
    </message>
    <message>
        <source>半価層 %1、平均エネルギー %2 keV</source>
        <translation>Half-value layer %1, mean energy %2 keV</translation>
    </message>
    <message>
        <source>■ 後方散乱係数（%1）</source>
        <translation>■ Backscatter factors (%1)</translation>
    </message>
    <message>
        <source>空気カーマに基づく BSF: %1</source>
        <translation>BSF based on air kerma: %1</translation>
    </message>
    <message>
        <source>軟部組織吸収線量に基づく BSF: %1</source>
        <translation>BSF based on soft-tissue dose: %1</translation>
    </message>
    <message>
        <source>皮膚組織吸収線量に基づく BSF: %1</source>
        <translation>BSF based on skin dose: %1</translation>
    </message>
    <message>
        <source>■ 入射表面線量</source>
        <translation>■ Entrance surface dose</translation>
    </message>
    <message>
        <source>入射空気カーマ（後方散乱なし）の測定値 %1 mGy（焦点から %2 cm）</source>
        <translation>Measured incident air kerma (no backscatter) %1 mGy at %2 cm from the focus</translation>
    </message>
    <message>
        <source>管出力 %1 µGy/mAs（100 cm）× %2 mAs</source>
        <translation>Tube output %1 µGy/mAs (at 100 cm) × %2 mAs</translation>
    </message>
    <message>
        <source>空気カーマの相対標準不確かさ %1 %</source>
        <translation>Relative standard uncertainty of the air kerma %1 %</translation>
    </message>
    <message>
        <source>入射表面での入射空気カーマ: %1 mGy</source>
        <translation>Incident air kerma at the surface: %1 mGy</translation>
    </message>
    <message>
        <source>入射表面空気カーマ (ESAK): %1 mGy</source>
        <translation>Entrance surface air kerma (ESAK): %1 mGy</translation>
    </message>
    <message>
        <source>入射表面の軟部組織吸収線量: %1 mGy</source>
        <translation>Entrance soft-tissue dose: %1 mGy</translation>
    </message>
    <message>
        <source>入射表面の皮膚吸収線量: %1 mGy</source>
        <translation>Entrance skin dose: %1 mGy</translation>
    </message>
    <message>
        <source>質量エネルギー吸収係数比（線質で平均）: 軟部組織/空気 %1、皮膚/空気 %2</source>
        <translation>Mass energy-absorption coefficient ratios (beam average): soft tissue/air %1, skin/air %2</translation>
    </message>
    <message>
        <source>■ 使用したデータファイル (SHA-256)</source>
        <translation>■ Data files used (SHA-256)</translation>
    </message>
    <message>
        <source>不確かさは標準不確かさ（k = 1）。</source>
        <translation>Uncertainties are standard uncertainties (k = 1).</translation>
    </message>
</context>
<context>
    <name>EngineRun</name>
    <message>
        <source>計算は終わりましたが、結果ファイルが書かれていません。</source>
        <translation>The calculation ended, but no result file was written.</translation>
    </message>
    <message>
        <source>計算の条件かデータファイルに問題があったため、計算は始まりませんでした。</source>
        <translation>The calculation did not start: a condition or a data file was not usable.</translation>
    </message>
    <message>
        <source>入射表面の中心の円板を通った一次光子がなく、後方散乱係数を求められませんでした。</source>
        <translation>No primary photon crossed the scoring disc at the centre of the entrance surface, so no backscatter factor could be formed.</translation>
    </message>
    <message>
        <source>結果ファイル ResultBSF.txt を書き込めませんでした。</source>
        <translation>The result file ResultBSF.txt could not be written.</translation>
    </message>
    <message>
        <source>計算プログラムを実行できませんでした。</source>
        <translation>The calculation program could not be run.</translation>
    </message>
    <message>
        <source>計算プログラムが強制終了されました（シグナル %1）。</source>
        <translation>The calculation program was killed (signal %1).</translation>
    </message>
    <message>
        <source>計算プログラムが終了コード %1 で止まりました。</source>
        <translation>The calculation program stopped with exit status %1.</translation>
    </message>
    <message>
        <source>計算プログラムのウィンドウが閉じられたか、プログラムが強制終了されたため、計算は途中で止まりました。</source>
        <translation>The calculation stopped part-way: its window was closed or the program was killed.</translation>
    </message>
    <message>
        <source>計算プログラムが起動しませんでした（端末ウィンドウが開かなかった可能性があります）。</source>
        <translation>The calculation program did not start (the terminal window may not have opened).</translation>
    </message>
    <message>
        <source>計算プログラムのログファイルが消えたため、計算の状態が分かりません。</source>
        <translation>The log file of the calculation is gone, so its state is unknown.</translation>
    </message>
    <message>
        <source>%1 時間 %2 分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>計算プログラム %1 を起動しています…</source>
        <translation>Starting %1…</translation>
    </message>
    <message>
        <source>%1、%2 スレッド</source>
        <translation>%1, %2 threads</translation>
    </message>
    <message>
        <source>計算中（%1）: %2 %&#x3000;%3 / %4 ヒストリー&#x3000;経過 %5</source>
        <translation>Running (%1): %2 %   %3 / %4 histories   %5 elapsed</translation>
    </message>
    <message>
        <source>&#x3000;残り約 %1</source>
        <translation>, about %1 left</translation>
    </message>
    <message>
        <source>計算終了（%1）: %2 ヒストリー、所要 %3</source>
        <translation>Finished (%1): %2 histories in %3</translation>
    </message>
    <message>
        <source>計算終了（%1）</source>
        <translation>Finished (%1)</translation>
    </message>
    <message>
        <source>計算停止（%1）: %2</source>
        <translation>Stopped (%1): %2</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>微分後方散乱係数法を用いた診断X線の後方散乱係数の計算</source>
        <translation>Backscatter factors of diagnostic X-ray beams by differential backscatter factors</translation>
    </message>
</context>
<context>
    <name>Form13</name>
    <message>
        <source>  入射表面の形状</source>
        <translation>  Entrance surface shape</translation>
    </message>
    <message>
        <source>モンテカルロ計算の画面の条件を直してから OK を押してください。

</source>
        <translation>Correct the conditions in the Monte Carlo window, then press OK.

</translation>
    </message>
    <message>
        <source>

形状は確定されていません。</source>
        <translation>

The shape has not been confirmed.</translation>
    </message>
    <message>
        <source>半径 %1cm の円柱表面</source>
        <translation>Cylinder, radius %1 cm</translation>
    </message>
    <message>
        <source>%1 : %2cmの楕円柱表面</source>
        <translation>Elliptic cylinder, %1 : %2 cm</translation>
    </message>
    <message>
        <source>レーストラック型モデルの表面</source>
        <translation>Racetrack model</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>円形照射野の直径 (cm)</source>
        <translation>Circular field diameter (cm)</translation>
    </message>
    <message>
        <source>軟部組織線量に基づく BSF</source>
        <translation>BSF based on soft-tissue dose</translation>
    </message>
    <message>
        <source>円形照射野の後方散乱係数（計算値）</source>
        <translation>Backscatter factor of a circular field (calculated)</translation>
    </message>
    <message>
        <source>総ろ過 Al %1 mm
焦点–表面間距離 %2 cm</source>
        <translation>Total filtration %1 mm Al
Focus–surface distance %2 cm</translation>
    </message>
    <message>
        <source>半価層 %1 mm Al の 60 kV と 80 kV のスペクトル</source>
        <translation>Spectra at 60 kV and 80 kV, both with HVL %1 mm Al</translation>
    </message>
    <message>
        <source>60 kV と 80 kV のスペクトル（半価層は凡例のとおり）</source>
        <translation>Spectra at 60 kV and 80 kV (half-value layers in the legend)</translation>
    </message>
    <message>
        <source>光子エネルギー (keV)</source>
        <translation>Photon energy (keV)</translation>
    </message>
    <message>
        <source>相対光子数</source>
        <translation>Relative photon number</translation>
    </message>
    <message>
        <source>%1 kV,  総ろ過 Al %2 mm,  %3</source>
        <translation>%1 kV,  %2 mm Al,  %3</translation>
    </message>
    <message>
        <source>W K線</source>
        <translation>W K lines</translation>
    </message>
    <message>
        <source>図を計算できませんでした。
%1</source>
        <translation>The graphs could not be calculated.
%1</translation>
    </message>
    <message>
        <source>従来の後方散乱係数の取得法の問題点</source>
        <translation>Problems with the conventional way of obtaining backscatter factors</translation>
    </message>
    <message>
        <source>問題点 (1)</source>
        <translation>Problem (1)</translation>
    </message>
    <message>
        <source>後方散乱係数は、X線の線質を表すアルミニウム半価層をパラメータとした左図のようなグラフから、</source>
        <translation>Backscatter factors have been read from graphs like the one on the left, with the aluminium half-value layer as the measure of beam quality,</translation>
    </message>
    <message>
        <source>実際の照射野を等価正方形（またはそれと等価な円形照射野）に置き換えて読み取られてきました。</source>
        <translation>after replacing the actual field by an equivalent square (or the equivalent circular field).</translation>
    </message>
    <message>
        <source>しかし、曲線と曲線の間は目分量で内挿するしかなく、読み取る人によって値がばらつきます。</source>
        <translation>Between the curves one can only interpolate by eye, so the value depends on who reads it.</translation>
    </message>
    <message>
        <source>問題点 (2)</source>
        <translation>Problem (2)</translation>
    </message>
    <message>
        <source>半価層が同じでも、管電圧とろ過が異なれば（右図：60 kV と 80 kV）X線のスペクトルは異なり、</source>
        <translation>Beams with the same half-value layer but different tube voltage and filtration (right: 60 kV and 80 kV) have different spectra,</translation>
    </message>
    <message>
        <source>後方散乱係数も異なります。半価層だけでは後方散乱係数は一つに決まりません。</source>
        <translation>and different backscatter factors: the half-value layer alone does not determine the backscatter factor.</translation>
    </message>
    <message>
        <source>問題点 (3)</source>
        <translation>Problem (3)</translation>
    </message>
    <message>
        <source>これまでのグラフは、水の吸収線量に基づく後方散乱係数を示しています。</source>
        <translation>The published graphs give backscatter factors based on the absorbed dose to water.</translation>
    </message>
    <message>
        <source>診断参考レベルで用いる入射表面の空気カーマを求めるのに、この係数を使うのは誤りです。</source>
        <translation>Using them to obtain the entrance surface air kerma of diagnostic reference levels is wrong:</translation>
    </message>
    <message>
        <source>空気カーマには、空気カーマに基づく後方散乱係数を用いなければなりません。</source>
        <translation>air kerma needs the backscatter factor based on air kerma.</translation>
    </message>
    <message>
        <source>問題点 (3) については、次のページで詳しく説明します。</source>
        <translation>Problem (3) is explained in detail on the next page.</translation>
    </message>
    <message>
        <source>続き</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>後方散乱係数</source>
        <translation>Backscatter factors</translation>
    </message>
</context>
<context>
    <name>Form3</name>
    <message>
        <source>問題点 (3) 続き</source>
        <translation>Problem (3), continued</translation>
    </message>
    <message>
        <source>従来の後方散乱係数 BSF は、水の吸収線量に基づいて次のように定義されています。</source>
        <translation>The conventional backscatter factor BSF is defined with the absorbed dose to water:</translation>
    </message>
    <message>
        <source>ここで、&lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; は一次線による、&lt;i&gt;D&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt; は後方散乱線による、入射表面中心の水の吸収線量です。</source>
        <translation>where &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; and &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt; are the doses to water at the surface centre from primary and backscattered photons.</translation>
    </message>
    <message>
        <source>一方、診断参考レベルは、後方散乱を含む入射表面中心の空気カーマで定められており、</source>
        <translation>Diagnostic reference levels, however, are given as the air kerma at the centre of the entrance surface, backscatter included,</translation>
    </message>
    <message>
        <source>その値は、測定した一次線の空気カーマ &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; に後方散乱係数を掛けて求めます。</source>
        <translation>which is obtained by multiplying the measured primary air kerma &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; by a backscatter factor.</translation>
    </message>
    <message>
        <source>しかし、&lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; × (&lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; + &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt;) / &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; は、求める空気カーマ &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; + &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt; にはなりません（&lt;i&gt;K&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt; は後方散乱線による空気カーマ）。</source>
        <translation>But &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; × (&lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; + &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt;) / &lt;i&gt;D&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; is not the air kerma &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; + &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt; sought (&lt;i&gt;K&lt;/i&gt;&lt;sub&gt;s&lt;/sub&gt;: the air kerma of the backscattered photons),</translation>
    </message>
    <message>
        <source>水と空気では光子の吸収の割合がエネルギーによって異なり、後方散乱線は一次線より低いエネルギーに</source>
        <translation>because water and air absorb photons in proportions that change with energy, and the backscattered photons have lower energies</translation>
    </message>
    <message>
        <source>偏るため、水の吸収線量の比は空気カーマの比に一致しないからです。</source>
        <translation>than the primary ones: the ratio of doses to water is not the ratio of air kermas.</translation>
    </message>
    <message>
        <source>空気カーマを求めるには、空気カーマに基づく次の後方散乱係数を用いなければなりません。</source>
        <translation>Air kerma needs the backscatter factor based on air kerma:</translation>
    </message>
    <message>
        <source>そこで本プログラムは、入射表面中心における ① 空気カーマ、② 軟部組織吸収線量、③ 皮膚吸収線量</source>
        <translation>This program therefore calculates backscatter factors based on ① air kerma, ② soft-tissue dose and ③ skin dose</translation>
    </message>
    <message>
        <source>に基づく後方散乱係数を、微分後方散乱係数法により計算します。</source>
        <translation>at the centre of the entrance surface, by the differential backscatter factor method.</translation>
    </message>
    <message>
        <source>このため、測定した &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; は、あらかじめ一次線による軟部組織吸収線量と皮膚吸収線量に換算しておきます。</source>
        <translation>For the tissue doses, the measured &lt;i&gt;K&lt;/i&gt;&lt;sub&gt;p&lt;/sub&gt; is first converted to the primary soft-tissue and skin doses.</translation>
    </message>
    <message>
        <source>こうして、求めたい量ごとに正しい後方散乱係数を使い分けることができます。</source>
        <translation>Each quantity sought is then given its own, correct backscatter factor.</translation>
    </message>
    <message>
        <source>後方散乱係数</source>
        <translation>Backscatter factors</translation>
    </message>
</context>
<context>
    <name>Form4</name>
    <message>
        <source>微分後方散乱係数を用いた計算（入射表面：平面）</source>
        <translation>Differential backscatter factors (flat entrance surface)</translation>
    </message>
    <message>
        <source>モンテカルロ法による計算（入射表面：非平面）</source>
        <translation>Monte Carlo calculation (curved entrance surface)</translation>
    </message>
    <message>
        <source>備 考 ： 従来の後方散乱係数の取得法の問題点</source>
        <translation>Note: problems with conventional backscatter factors</translation>
    </message>
    <message>
        <source>   さわるな   </source>
        <translation>   Do not touch   </translation>
    </message>
</context>
<context>
    <name>Form5</name>
    <message>
        <source>モンテカルロ法を用いた診断X線の後方散乱係数の計算</source>
        <translation>Backscatter factors of diagnostic X-ray beams by Monte Carlo calculation</translation>
    </message>
    <message>
        <source>計算プログラム %1 がこの作業フォルダで計算中です。
その計算が終わるまで、新しい計算は始められません。</source>
        <translation>The calculation program %1 is running in this working folder.
A new calculation can start when it has finished.</translation>
    </message>
    <message>
        <source>

（「入射表面の形状」で確定した形状と、この画面の条件の組み合わせです）</source>
        <translation>

(This is the shape confirmed in “Entrance surface shape” together with the conditions of this window.)</translation>
    </message>
    <message>
        <source>端末ウィンドウが見つからないため、計算プログラムは画面なしで実行されます。
計算の経過とエラーは、作業フォルダの「計算プログラム名.log」に書かれます。今回は次のファイルです。

%1</source>
        <translation>No terminal window was found, so the calculation program runs without a window.
Its progress and errors go to “&lt;program&gt;.log” in the working folder; this time to

%1</translation>
    </message>
    <message>
        <source> まだ計算が終わっていません。しばらくお待ちください。 </source>
        <translation> The calculation has not finished yet. Please wait. </translation>
    </message>
    <message>
        <source>計算は結果を出さずに終わりました。
</source>
        <translation>The calculation ended without a result.
</translation>
    </message>
    <message>
        <source>

計算プログラムのメッセージ:
</source>
        <translation>

The calculation program said:
</translation>
    </message>
    <message>
        <source>
出力の全体は次のファイルにあります。
</source>
        <translation>
Its whole output is in
</translation>
    </message>
</context>
<context>
    <name>Illustrations</name>
    <message>
        <source>楕円柱モデル</source>
        <translation>Elliptic cylinder model</translation>
    </message>
    <message>
        <source>レーストラックモデル</source>
        <translation>Racetrack model</translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <source>データファイルを用意できません。

%1

Orbisan を終了します。</source>
        <translation>The data files cannot be prepared.

%1

Orbisan will end.</translation>
    </message>
    <message>
        <source>データファイルを読み書きできません。

%1</source>
        <translation>A data file cannot be read or written.

%1</translation>
    </message>
    <message>
        <source>計算プログラムを起動できません。

%1</source>
        <translation>The calculation program cannot be started.

%1</translation>
    </message>
    <message>
        <source>計算中に数値の異常が起きました。

%1</source>
        <translation>A calculation gave a value that is not a number.

%1</translation>
    </message>
    <message>
        <source>予期しないエラーが起きました。</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <source>

Orbisan を終了します。</source>
        <translation>

Orbisan will end.</translation>
    </message>
</context>
</TS>

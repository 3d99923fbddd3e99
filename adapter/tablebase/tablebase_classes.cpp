#include "tablebase_classes.h"

#include <cstring>

#define TB_CLASS(n, name, white, black, flags) \
  {n, flags, &ClassIndex<n, 0>, &ClassIndex<n, 1>, name, {white, black}}

TablebaseClass TablebaseClasses[TablebaseClassCount] = {
    {0, TablebaseSymmetric, nullptr, nullptr, "kk", {0, 0}},
    TB_CLASS(1, "kpk", 81664u, 84012u, 0),
    TB_CLASS(2, "knk", 26282u, 28644u, 0),
    TB_CLASS(3, "kbk", 27243u, 28644u, 0),
    TB_CLASS(4, "krk", 27030u, 28644u, 0),
    TB_CLASS(5, "kqk", 25629u, 28644u, 0),
    TB_CLASS(6, "kpkp", 3863492u, 3863492u, 0),
    TB_CLASS(7, "knkp", 4931904u, 4981504u, 0),
    TB_CLASS(8, "knkn", 1603202u, 1603202u, TablebaseSymmetric),
    TB_CLASS(9, "kbkp", 5112000u, 4981504u, 0),
    TB_CLASS(10, "kbkn", 1661823u, 1603202u, 0),
    TB_CLASS(11, "kbkb", 1661823u, 1661823u, TablebaseSymmetric),
    TB_CLASS(12, "krkp", 5072736u, 4981504u, 0),
    TB_CLASS(13, "krkn", 1649196u, 1603202u, 0),
    TB_CLASS(14, "krkb", 1649196u, 1661823u, 0),
    TB_CLASS(15, "krkr", 1649196u, 1649196u, TablebaseSymmetric),
    TB_CLASS(16, "kqkp", 4810080u, 4981504u, 0),
    TB_CLASS(17, "kqkn", 1563735u, 1603202u, 0),
    TB_CLASS(18, "kqkb", 1563735u, 1661823u, 0),
    TB_CLASS(19, "kqkr", 1563735u, 1649196u, 0),
    TB_CLASS(20, "kqkq", 1563735u, 1563735u, TablebaseSymmetric),
    TB_CLASS(21, "kppk", 1806671u, 1912372u, 0),
    TB_CLASS(22, "knpk", 4648581u, 5124732u, 0),
    TB_CLASS(23, "knnk", 735304u, 873642u, 0),
    TB_CLASS(24, "kbpk", 4817128u, 5124732u, 0),
    TB_CLASS(25, "kbnk", 1550620u, 1747284u, 0),
    TB_CLASS(26, "kbbk", 789885u, 873642u, 0),
    TB_CLASS(27, "krpk", 4779530u, 5124732u, 0),
    TB_CLASS(28, "krnk", 1538479u, 1747284u, 0),
    TB_CLASS(29, "krbk", 1594560u, 1747284u, 0),
    TB_CLASS(30, "krrk", 777300u, 873642u, 0),
    TB_CLASS(31, "kqpk", 4533490u, 5124732u, 0),
    TB_CLASS(32, "kqnk", 1459616u, 1747284u, 0),
    TB_CLASS(33, "kqbk", 1512507u, 1747284u, 0),
    TB_CLASS(34, "kqrk", 1500276u, 1747284u, 0),
    TB_CLASS(35, "kqqk", 698739u, 873642u, 0),
    TB_CLASS(36, "kppkp", 84219361u, 89391280u, 0),
    TB_CLASS(37, "kppkn", 108400260u, 115899744u, 0),
    TB_CLASS(38, "kppkb", 108400260u, 120132000u, 0),
    TB_CLASS(39, "kppkr", 108400260u, 119209296u, 0),
    TB_CLASS(40, "kppkq", 108400260u, 113036880u, 0),
    TB_CLASS(41, "knpkp", 219921779u, 231758952u, 0),
    TB_CLASS(42, "knpkn", 278914860u, 295914240u, 0),
    TB_CLASS(43, "knpkb", 278914860u, 306720000u, 0),
    TB_CLASS(44, "knpkr", 278914860u, 304369920u, 0),
    TB_CLASS(45, "knpkq", 278914860u, 288610560u, 0),
    TB_CLASS(46, "knnkp", 137991648u, 149445120u, 0),
    TB_CLASS(47, "knnkn", 44118240u, 48096060u, 0),
    TB_CLASS(48, "knnkb", 44118240u, 49854690u, 0),
    TB_CLASS(49, "knnkr", 44118240u, 49475880u, 0),
    TB_CLASS(50, "knnkq", 44118240u, 46912050u, 0),
    TB_CLASS(51, "kbpkp", 227896016u, 231758952u, 0),
    TB_CLASS(52, "kbpkn", 289027680u, 295914240u, 0),
    TB_CLASS(53, "kbpkb", 289027680u, 306720000u, 0),
    TB_CLASS(54, "kbpkr", 289027680u, 304369920u, 0),
    TB_CLASS(55, "kbpkq", 289027680u, 288610560u, 0),
    TB_CLASS(56, "kbnkp", 290989584u, 298890240u, 0),
    TB_CLASS(57, "kbnkn", 93037200u, 96192120u, 0),
    TB_CLASS(58, "kbnkb", 93037200u, 99709380u, 0),
    TB_CLASS(59, "kbnkr", 93037200u, 98951760u, 0),
    TB_CLASS(60, "kbnkq", 93037200u, 93824100u, 0),
    TB_CLASS(61, "kbbkp", 148223520u, 149445120u, 0),
    TB_CLASS(62, "kbbkn", 47393100u, 48096060u, 0),
    TB_CLASS(63, "kbbkb", 47393100u, 49854690u, 0),
    TB_CLASS(64, "kbbkr", 47393100u, 49475880u, 0),
    TB_CLASS(65, "kbbkq", 47393100u, 46912050u, 0),
    TB_CLASS(66, "krpkp", 226121876u, 231758952u, 0),
    TB_CLASS(67, "krpkn", 286777440u, 295914240u, 0),
    TB_CLASS(68, "krpkb", 286777440u, 306720000u, 0),
    TB_CLASS(69, "krpkr", 286777440u, 304369920u, 0),
    TB_CLASS(70, "krpkq", 286777440u, 288610560u, 0),
    TB_CLASS(71, "krnkp", 288692928u, 298890240u, 0),
    TB_CLASS(72, "krnkn", 92308740u, 96192120u, 0),
    TB_CLASS(73, "krnkb", 92308740u, 99709380u, 0),
    TB_CLASS(74, "krnkr", 92308740u, 98951760u, 0),
    TB_CLASS(75, "krnkq", 92308740u, 93824100u, 0),
    TB_CLASS(76, "krbkp", 299203200u, 298890240u, 0),
    TB_CLASS(77, "krbkn", 95673600u, 96192120u, 0),
    TB_CLASS(78, "krbkb", 95673600u, 99709380u, 0),
    TB_CLASS(79, "krbkr", 95673600u, 98951760u, 0),
    TB_CLASS(80, "krbkq", 95673600u, 93824100u, 0),
    TB_CLASS(81, "krrkp", 145901232u, 149445120u, 0),
    TB_CLASS(82, "krrkn", 46658340u, 48096060u, 0),
    TB_CLASS(83, "krrkb", 46658340u, 49854690u, 0),
    TB_CLASS(84, "krrkr", 46658340u, 49475880u, 0),
    TB_CLASS(85, "krrkq", 46658340u, 46912050u, 0),
    TB_CLASS(86, "kqpkp", 214481388u, 231758952u, 0),
    TB_CLASS(87, "kqpkn", 272015040u, 295914240u, 0),
    TB_CLASS(88, "kqpkb", 272015040u, 306720000u, 0),
    TB_CLASS(89, "kqpkr", 272015040u, 304369920u, 0),
    TB_CLASS(90, "kqpkq", 272015040u, 288610560u, 0),
    TB_CLASS(91, "kqnkp", 273904512u, 298890240u, 0),
    TB_CLASS(92, "kqnkn", 87576960u, 96192120u, 0),
    TB_CLASS(93, "kqnkb", 87576960u, 99709380u, 0),
    TB_CLASS(94, "kqnkr", 87576960u, 98951760u, 0),
    TB_CLASS(95, "kqnkq", 87576960u, 93824100u, 0),
    TB_CLASS(96, "kqbkp", 283818240u, 298890240u, 0),
    TB_CLASS(97, "kqbkn", 90750420u, 96192120u, 0),
    TB_CLASS(98, "kqbkb", 90750420u, 99709380u, 0),
    TB_CLASS(99, "kqbkr", 90750420u, 98951760u, 0),
    TB_CLASS(100, "kqbkq", 90750420u, 93824100u, 0),
    TB_CLASS(101, "kqrkp", 281568240u, 298890240u, 0),
    TB_CLASS(102, "kqrkn", 90038460u, 96192120u, 0),
    TB_CLASS(103, "kqrkb", 90038460u, 99709380u, 0),
    TB_CLASS(104, "kqrkr", 90038460u, 98951760u, 0),
    TB_CLASS(105, "kqrkq", 90038460u, 93824100u, 0),
    TB_CLASS(106, "kqqkp", 131170128u, 149445120u, 0),
    TB_CLASS(107, "kqqkn", 41944320u, 48096060u, 0),
    TB_CLASS(108, "kqqkb", 41944320u, 49854690u, 0),
    TB_CLASS(109, "kqqkr", 41944320u, 49475880u, 0),
    TB_CLASS(110, "kqqkq", 41944320u, 46912050u, 0),
    TB_CLASS(111, "kpppk", 26061704u, 28388716u, 0),
    TB_CLASS(112, "knppk", 102898651u, 114742320u, 0),
    TB_CLASS(113, "knnpk", 130135501u, 153741960u, 0),
    TB_CLASS(114, "knnnk", 13486227u, 17472840u, 0),
    TB_CLASS(115, "kbppk", 106602156u, 114742320u, 0),
    TB_CLASS(116, "kbnpk", 274352939u, 307483920u, 0),
    TB_CLASS(117, "kbnnk", 43406294u, 52418520u, 0),
    TB_CLASS(118, "kbbpk", 139715040u, 153741960u, 0),
    TB_CLASS(119, "kbbnk", 44983618u, 52418520u, 0),
    TB_CLASS(120, "kbbbk", 15010230u, 17472840u, 0),
    TB_CLASS(121, "krppk", 105758666u, 114742320u, 0),
    TB_CLASS(122, "krnpk", 272153675u, 307483920u, 0),
    TB_CLASS(123, "krnnk", 43056198u, 52418520u, 0),
    TB_CLASS(124, "krbpk", 281991360u, 307483920u, 0),
    TB_CLASS(125, "krbnk", 90787358u, 104837040u, 0),
    TB_CLASS(126, "krbbk", 46242089u, 52418520u, 0),
    TB_CLASS(127, "krrpk", 137491197u, 153741960u, 0),
    TB_CLASS(128, "krrnk", 44265261u, 52418520u, 0),
    TB_CLASS(129, "krrbk", 45873720u, 52418520u, 0),
    TB_CLASS(130, "krrrk", 14644690u, 17472840u, 0),
    TB_CLASS(131, "kqppk", 100347220u, 114742320u, 0),
    TB_CLASS(132, "kqnpk", 258294639u, 307483920u, 0),
    TB_CLASS(133, "kqnnk", 40873646u, 52418520u, 0),
    TB_CLASS(134, "kqbpk", 267576632u, 307483920u, 0),
    TB_CLASS(135, "kqbnk", 86166717u, 104837040u, 0),
    TB_CLASS(136, "kqbbk", 43879679u, 52418520u, 0),
    TB_CLASS(137, "kqrpk", 265421907u, 307483920u, 0),
    TB_CLASS(138, "kqrnk", 85470603u, 104837040u, 0),
    TB_CLASS(139, "kqrbk", 88557959u, 104837040u, 0),
    TB_CLASS(140, "kqrrk", 43157690u, 52418520u, 0),
    TB_CLASS(141, "kqqpk", 123688859u, 153741960u, 0),
    TB_CLASS(142, "kqqnk", 39840787u, 52418520u, 0),
    TB_CLASS(143, "kqqbk", 41270973u, 52418520u, 0),
    TB_CLASS(144, "kqqrk", 40916820u, 52418520u, 0),
    TB_CLASS(145, "kqqqk", 12479974u, 17472840u, 0),
};

#undef TB_CLASS

// Piece type of a name letter: 1 pawn .. 5 queen, 0 for anything else.
static int32_t LetterType(char letter) {
  switch (letter) {
    case 'p': return 1;
    case 'n': return 2;
    case 'b': return 3;
    case 'r': return 4;
    case 'q': return 5;
    default: return 0;
  }
}

int32_t ClassMaterial(int32_t tableClass, int32_t counts[10]) {
  if (tableClass < 1 || tableClass >= TablebaseClassCount) return 0;
  for (int32_t i = 0; i < 10; i++) counts[i] = 0;
  const char* name = TablebaseClasses[tableClass].Name;
  int32_t colour = -1;  // -1 before the first king, 0 white's letters, 1 black's
  for (int32_t i = 0; i < 8 && name[i] != 0; i++) {
    if (name[i] == 'k') {
      colour++;
      continue;
    }
    int32_t type = LetterType(name[i]);
    if (type == 0 || colour < 0 || colour > 1) return 0;
    counts[colour * 5 + type - 1]++;
  }
  return colour == 1 ? 1 : 0;
}

int32_t ClassPieceCount(int32_t tableClass) {
  if (tableClass < 1 || tableClass >= TablebaseClassCount) return 0;
  return static_cast<int32_t>(std::strlen(TablebaseClasses[tableClass].Name));
}

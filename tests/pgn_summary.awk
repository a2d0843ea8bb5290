# One line per game of a PGN file: white|black|result|number of moves|closing comment. A game
# counts once its result header and its move text have been read.
function emit(  comment, moves, n, i, word) {
  comment = text; sub(/.*\{/, "", comment); sub(/\}.*/, "", comment)
  moves = 0; n = split(text, word, " ")
  for (i = 1; i <= n; i++) if (word[i] ~ /^[0-9]+\.$/) moves++
  printf "%s|%s|%s|%d|%s\n", white, black, result, moves, comment
  result = ""
}
/^\[White "/  { sub(/^\[White "/, ""); sub(/"\]$/, ""); white = $0 }
/^\[Black "/  { sub(/^\[Black "/, ""); sub(/"\]$/, ""); black = $0 }
/^\[Result "/ { sub(/^\[Result "/, ""); sub(/"\]$/, ""); result = $0; text = "" }
!/^\[/        { text = text " " $0 }
/^$/ && result != "" && text ~ /[0-9]\./ { emit() }
END { if (result != "") emit() }

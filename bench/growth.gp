# Draws bench/compare.sh's growth data: wall time against entries listed, one line per program.
# gnuplot -e "datafile='growth.dat'; outfile='growth.png'; subtitle='...'" bench/growth.gp
set terminal pngcairo size 900,560 font "sans,11"
set output outfile
set title "Listing the big tree's shape at 1/4 to 4 times its size (hot cache, output to /dev/null)\n{/*0.8 ".subtitle."}"
set xlabel "entries (folders and files)"
set ylabel "wall time, median (ms)"
set key top left
set grid
set xrange [0:*]
set yrange [0:*]
set format x "%.0s%c"
plot datafile using 1:2 with linespoints lw 2 pt 7 title "arbolin", \
     datafile using 1:3 with linespoints lw 2 pt 3 lc rgb "black" title "floor (bare sorted walk)", \
     datafile using 1:4 with linespoints lw 2 pt 5 title "tree -a --noreport", \
     datafile using 1:5 with linespoints lw 2 pt 9 title "find", \
     datafile using 1:6 with linespoints lw 2 pt 13 dt 2 title "ls -R"

#!/usr/bin/env bash
# Makes the sample data set from its plain sources in sample-data/src/.
#
# - Scripts: every file under sample-data/src/data/ is the plain text of a file the game reads scrambled: it is
#   written, every byte inverted by the blefile tool, to the same path under sample-data/ with its extension replaced
#   by ".ble" (sample-data/src/data/script/mrvbuildings.pis becomes sample-data/data/script/mrvbuildings.ble).
# - Models: each text under sample-data/src/models/ listed below is written as a .tm model by tmtool.
# - Texts: each text under sample-data/src/text/ (text_uk.txt and the like) is written by texttool as the scrambled
#   text table of the same name under sample-data/data/ (data/text_uk.ble, which the game opens as data/text_uk.uni).
# - The GUI fonts: fonttool writes GuiFont7, GuiFont8, the small GuiFont6 and the large GuiFont20b (texture, glyph
#   rectangles and kerning) into sample-data/data/Fonts/.
# - Sounds: the tone list sample-data/src/sounds/blsnd.txt becomes the sample bank sample-data/data/sounds/blsnd.hdr
#   and .spf (soundtool); the tunes of sample-data/src/soundtrack/tunes.txt become the music tracks
#   sample-data/data/soundtrack/<name>.mp3 (soundtool, then lame).
# - Sprites: the bank lists under sample-data/src/sprites/ and their pictures become the sprite file pairs under
#   sample-data/data/sprites/ (spritetool).
# - Front-end pictures: each text under sample-data/src/gui/ (sizes and shapes) is drawn as the 32-bit TGA of the
#   same name under sample-data/data/GUI/.
# - Textures: each text under sample-data/src/textures/ (a palette of lettered colours and rows of letters) is
#   written as the uncompressed 24-bit TGA of the same name under sample-data/data/Textures/.
# - Grids: each text under sample-data/src/maps/ is written as the grid file of the same name (".dat") under
#   sample-data/data/maps/: 128 x 128 cells, 32-bit little-endian flags column by column; the text gives the
#   walkable area (see its header), every other cell is ground no guest walks on (0x20000000).
# Files the game reads plain live directly under sample-data/ and are not touched. Edit the sources, run this,
# commit both; the sample-data tests check that the made files match their sources.
#
# Usage: tools/make-sample-data.sh [build-dir]   (default build/tools; the tools are built there if needed)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/tools}"

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target blefile tmtool texttool fonttool >/dev/null
blefile="$build/tools/blefile"
tmtool="$build/tools/tmtool/tmtool"
texttool="$build/tools/texttool/texttool"
fonttool="$build/tools/fonttool/fonttool"

src="$root/sample-data/src"
count=0
while IFS= read -r -d '' plain; do
    relative="${plain#"$src"/}"
    scrambled="$root/sample-data/${relative%.*}.ble"
    mkdir -p "$(dirname "$scrambled")"
    "$blefile" encode "$plain" "$scrambled"
    count=$((count + 1))
done < <(find "$src/data" -type f -print0 | sort -z)
echo "make-sample-data: $count scrambled files written under sample-data/"

# Model source text and the model made from it, one pair a line, separated by "|". The sample park's buildings
# and the diner's table are box models of their own (toggleable parts and locators named as the buildings use
# them), and so are the animals, their paths, the show's actor, the crowd and the swan boats (animated by key
# lists; seats and riders on attachment points); every other model the sample scenario can show is the
# placeholder model under its own name.
models=0
while IFS='|' read -r source target; do
    [ -n "$source" ] || continue
    mkdir -p "$(dirname "$root/sample-data/$target")"
    "$tmtool" write "$src/models/$source" "$root/sample-data/$target"
    models=$((models + 1))
done <<'LIST'
Alert.txt|gamedata/gameart/TM Files/test/Alert.tm
staff_server.txt|data/Models/D_Ezize/Characters/Staff/SERVE1_mesh.tm
staff_server.txt|data/Models/D_Ezize/Characters/Staff/SERVE2_mesh.tm
staff_server.txt|data/Models/D_Ezize/Characters/Staff/SERVE3_mesh.tm
staff_server.txt|data/Models/D_Ezize/Characters/Staff/SERVE4_mesh.tm
staff_server.txt|data/Models/D_Ezize/Characters/Staff/SERVE5_mesh.tm
staff_cleaner.txt|data/Models/D_Ezize/Characters/Staff/cleaner_f_mesh.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/cleaner_walk_00.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/dolphin_jump_00.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/dolphin_swim_00.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/dolphin_swim_01.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/keeper_walk_00.tm
staff_mechanic.txt|data/Models/D_Ezize/Characters/Staff/mechanic_mesh.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/mechanic_walk_00.tm
staff_keeper.txt|data/Models/D_Ezize/Characters/Staff/mtrain_mesh.tm
Alert.txt|data/Models/D_Ezize/Characters/Staff/server_serve_00.tm
visitor_a.txt|data/Models/D_Ezize/Characters/visitor_a.tm
visitor_b.txt|data/Models/D_Ezize/Characters/visitor_b.tm
Alert.txt|data/Models/D_Ezize/Characters/visitor_eat_00.tm
Alert.txt|data/Models/D_Ezize/Characters/visitor_idle_00.tm
Alert.txt|data/Models/D_Ezize/Characters/visitor_walk_00.tm
Alert.txt|data/Models/D_Ezize/Characters/visitor_walk_01.tm
ENTRANCE.txt|data/Models/D_Ezize/ENTRANCE.tm
DINER.txt|data/Models/D_Ezize/DINER.tm
ICEKIOSK.txt|data/Models/D_Ezize/ICEKIOSK.tm
STAFFSMALL.txt|data/Models/D_Ezize/STAFFSMALL.tm
ANIMALCARE.txt|data/Models/D_Ezize/ANIMALCARE.tm
RESTSMALL.txt|data/Models/D_Ezize/RESTSMALL.tm
INFORMATION.txt|data/Models/D_Ezize/INFORMATION.tm
table_round.txt|data/Models/D_Ezize/table_round.tm
FUNHOUSE.txt|data/Models/D_Ezize/FUNHOUSE.tm
CAFE.txt|data/Models/D_Ezize/CAFE.tm
GIFTSHOP.txt|data/Models/D_Ezize/GIFTSHOP.tm
SWANBOATS.txt|data/Models/D_Ezize/SWANBOATS.tm
bench_wood.txt|data/Models/D_Ezize/Scenery/bench_wood.tm
bin_green.txt|data/Models/D_Ezize/Scenery/bin_green.tm
fence_rope.txt|data/Models/D_Ezize/Scenery/fence_rope.tm
flowers_tulip.txt|data/Models/D_Ezize/Scenery/flowers_tulip.tm
fountain_small.txt|data/Models/D_Ezize/Scenery/fountain_small.tm
litter_can.txt|data/Models/D_Ezize/Scenery/litter_can.tm
litter_cone.txt|data/Models/D_Ezize/Scenery/litter_cone.tm
litter_cup.txt|data/Models/D_Ezize/Scenery/litter_cup.tm
litter_paper.txt|data/Models/D_Ezize/Scenery/litter_paper.tm
litter_wrap.txt|data/Models/D_Ezize/Scenery/litter_wrap.tm
path_queue.txt|data/Models/D_Ezize/Scenery/path_queue.tm
path_stone.txt|data/Models/D_Ezize/Scenery/path_stone.tm
Q_RAIL.txt|data/Models/D_Ezize/Scenery/Q_RAIL.tm
tree_palm.txt|data/Models/D_Ezize/Scenery/tree_palm.tm
lamp_00.txt|data/Models/D_Ezize/Scenery/lamp_00.tm
shows/show_jump.txt|data/Models/D_Ezize/Shows/jump.tm
shows/show_spin_end.txt|data/Models/D_Ezize/Shows/spin_end.tm
shows/show_spin_start.txt|data/Models/D_Ezize/Shows/spin_start.tm
shows/show_wave.txt|data/Models/D_Ezize/Shows/wave.tm
shows/show_start.txt|data/Models/D_Ezize/Shows/show_start.tm
shows/show_end.txt|data/Models/D_Ezize/Shows/show_end.tm
LAGOON.txt|data/Models/D_Ezize/LAGOON.tm
ARENA.txt|data/Models/D_Ezize/ARENA.tm
swanboat_stat.txt|data/Models/D_Ezize/swanboat_stat.tm
swanboat.txt|data/Models/D_Ezize/swanboat.tm
animals/DOLPHIN_MOVE_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_MOVE_00.tm
animals/DOLPHIN_MOVE_01.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_MOVE_01.tm
animals/DOLPHIN_EAT_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_EAT_00.tm
animals/DOLPHIN_EAT_01.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_EAT_01.tm
animals/DOLPHIN_PLAY_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_PLAY_00.tm
animals/DOLPHIN_PLAY_01.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_PLAY_01.tm
animals/DOLPHIN_REST_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_REST_00.tm
animals/DOLPHIN_REST_01.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_REST_01.tm
animals/DOLPHIN_mesh_MOVE_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_mesh_MOVE_00.tm
animals/DOLPHIN_mesh_MOVE_01.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_mesh_MOVE_01.tm
animals/DOLPHIN_mesh_EAT_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_mesh_EAT_00.tm
animals/DOLPHIN_mesh_PLAY_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_mesh_PLAY_00.tm
animals/DOLPHIN_mesh_REST_00.txt|data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_mesh_REST_00.tm
crowd/mother_mesh.txt|data/Models/D_Ezize/Characters/mother_mesh.tm
crowd/retired_f_mesh.txt|data/Models/D_Ezize/Characters/retired_f_mesh.tm
crowd/child_f_mesh.txt|data/Models/D_Ezize/Characters/child_f_mesh.tm
crowd/father_mesh.txt|data/Models/D_Ezize/Characters/father_mesh.tm
crowd/retired_m_mesh.txt|data/Models/D_Ezize/Characters/retired_m_mesh.tm
crowd/child_m_mesh.txt|data/Models/D_Ezize/Characters/child_m_mesh.tm
crowd/crowd_sit_00.txt|data/Models/D_Ezize/Characters/crowd_sit_00.tm
crowd/crowd_cheer_00.txt|data/Models/D_Ezize/Characters/crowd_cheer_00.tm
LIST
echo "make-sample-data: $models models written under sample-data/"

# Grids: the text's rows are y from its first row's cell, characters x; '.' walkable ground. A grid holds ground
# only: footpath is laid by the world scripts, which leaves each path cell's neighbours marked as its tile needs.
grids=0
for text in "$src"/maps/*.txt; do
    [ -e "$text" ] || continue
    grid="$root/sample-data/data/maps/$(basename "${text%.txt}").dat"
    mkdir -p "$(dirname "$grid")"
    perl -e '
        my ($text, $grid) = @ARGV;
        my ($size, $x0, $y0) = (128, 48, 16);
        open(my $in, "<", $text) or die "$text: $!";
        my @rows = grep { !m{^//} } map { s/\r?\n$//r } <$in>;
        my @cells = (0x20000000) x ($size * $size);
        for my $r (0 .. $#rows) {
            my @c = split //, $rows[$r];
            for my $i (0 .. $#c) {
                die "$text: footpath (#) belongs in a world script Path command, not in the grid\n" if $c[$i] eq "#";
                my $value = $c[$i] eq "." ? 0x80000001 : die "$text: bad cell \"$c[$i]\" in row $r\n";
                die "$text: row $r is past the ${size}x$size grid\n" if $x0 + $i >= $size || $y0 + $r >= $size;
                $cells[($x0 + $i) * $size + $y0 + $r] = $value;
            }
        }
        open(my $out, ">:raw", $grid) or die "$grid: $!";
        print $out pack("V*", @cells);
    ' "$text" "$grid"
    grids=$((grids + 1))
done
echo "make-sample-data: $grids grids written under sample-data/data/maps/"

# Textures: "colour <letter> <RRGGBB>" lines, then rows of letters, top row first; '#' lines are comments.
textures=0
for text in "$src"/textures/*.txt; do
    [ -e "$text" ] || continue
    image="$root/sample-data/data/Textures/$(basename "${text%.txt}").tga"
    mkdir -p "$(dirname "$image")"
    perl -e '
        my ($text, $image) = @ARGV;
        open(my $in, "<", $text) or die "$text: $!";
        my (%palette, @rows);
        for (map { s/\r?\n$//r } <$in>) {
            next if /^#/ || $_ eq "";
            if (/^colour (\S) ([0-9A-Fa-f]{6})$/) { $palette{$1} = hex($2); next; }
            push @rows, $_;
        }
        my $width = length($rows[0]);
        my $pixels = "";
        for my $row (@rows) {
            die "rows of unequal length" if length($row) != $width;
            for my $c (split //, $row) {
                defined(my $rgb = $palette{$c}) or die "no colour $c";
                $pixels .= pack("CCC", $rgb & 0xFF, ($rgb >> 8) & 0xFF, $rgb >> 16);
            }
        }
        open(my $out, ">:raw", $image) or die "$image: $!";
        # Uncompressed true colour, 24 bits, rows top first.
        print $out pack("CCCvvCvvvvCC", 0, 0, 2, 0, 0, 0, 0, 0, $width, scalar(@rows), 24, 0x20), $pixels;
    ' "$text" "$image"
    textures=$((textures + 1))
done
echo "make-sample-data: $textures textures written under sample-data/data/Textures/"

# Front-end pictures: each text under sample-data/src/gui/ is drawn as the 32-bit TGA (with alpha) of the same name
# under sample-data/data/GUI/. Lines, in order: "size W H", then shapes painted over each other, colours RRGGBBAA:
# "fill C", "vgrad C1 C2" (top to bottom), "rect X Y W H C", "disc X Y R C", "ring X Y R T C" (T thick),
# "tri X1 Y1 X2 Y2 X3 Y3 C"; '#' lines are comments.
pictures=0
for text in "$src"/gui/*.txt; do
    [ -e "$text" ] || continue
    image="$root/sample-data/data/GUI/$(basename "${text%.txt}").tga"
    mkdir -p "$(dirname "$image")"
    perl -e '
        use strict;
        my ($text, $image) = @ARGV;
        open(my $in, "<", $text) or die "$text: $!";
        my ($w, $h, @px);
        my $c = sub { my $v = hex($_[0]); return [($v >> 24) & 255, ($v >> 16) & 255, ($v >> 8) & 255, $v & 255]; };
        my $put = sub {
            my ($x, $y, $col) = @_;
            return if $x < 0 || $y < 0 || $x >= $w || $y >= $h;
            my $a = $col->[3] / 255;
            my $p = $px[$y * $w + $x];
            $px[$y * $w + $x] = [map({ int($col->[$_] * $a + $p->[$_] * (1 - $a) + 0.5) } 0 .. 2),
                                 int(255 * ($a + ($p->[3] / 255) * (1 - $a)) + 0.5)];
        };
        for (map { s/\r?\n$//r } <$in>) {
            next if /^#/ || $_ eq "";
            my ($op, @a) = split;
            if ($op eq "size") { ($w, $h) = @a; @px = map { [0, 0, 0, 0] } 1 .. $w * $h; next; }
            die "$text: size first" unless $w;
            if ($op eq "fill") { my $col = $c->($a[0]); for my $i (0 .. $w * $h - 1) { $px[$i] = [@$col]; } }
            elsif ($op eq "vgrad") {
                my ($t, $b) = ($c->($a[0]), $c->($a[1]));
                for my $y (0 .. $h - 1) {
                    my $f = $h > 1 ? $y / ($h - 1) : 0;
                    my $col = [map { int($t->[$_] + ($b->[$_] - $t->[$_]) * $f + 0.5) } 0 .. 3];
                    $px[$y * $w + $_] = [@$col] for 0 .. $w - 1;
                }
            }
            elsif ($op eq "rect") {
                my $col = $c->($a[4]);
                for my $y ($a[1] .. $a[1] + $a[3] - 1) { $put->($_, $y, $col) for $a[0] .. $a[0] + $a[2] - 1; }
            }
            elsif ($op eq "disc" || $op eq "ring") {
                my ($cx, $cy, $r) = @a[0 .. 2];
                my $inner = $op eq "ring" ? $r - $a[3] : -1;
                my $col = $c->($op eq "ring" ? $a[4] : $a[3]);
                for my $y ($cy - $r .. $cy + $r) {
                    for my $x ($cx - $r .. $cx + $r) {
                        my $d = sqrt(($x + 0.5 - $cx) ** 2 + ($y + 0.5 - $cy) ** 2);
                        $put->($x, $y, $col) if $d <= $r && $d > $inner;
                    }
                }
            }
            elsif ($op eq "tri") {
                my @p = @a[0 .. 5];
                my $col = $c->($a[6]);
                my $side = sub { my ($ax, $ay, $bx, $by, $x, $y) = @_; ($bx - $ax) * ($y - $ay) - ($by - $ay) * ($x - $ax) };
                for my $y (0 .. $h - 1) {
                    for my $x (0 .. $w - 1) {
                        my ($px, $py) = ($x + 0.5, $y + 0.5);
                        my $s1 = $side->(@p[0 .. 3], $px, $py);
                        my $s2 = $side->(@p[2 .. 5], $px, $py);
                        my $s3 = $side->(@p[4, 5, 0, 1], $px, $py);
                        $put->($x, $y, $col) if ($s1 >= 0 && $s2 >= 0 && $s3 >= 0) || ($s1 <= 0 && $s2 <= 0 && $s3 <= 0);
                    }
                }
            }
            else { die "$text: unknown shape $op"; }
        }
        open(my $out, ">:raw", $image) or die "$image: $!";
        # Uncompressed true colour, 32 bits with 8 of alpha, rows top first.
        print $out pack("CCCvvCvvvvCC", 0, 0, 2, 0, 0, 0, 0, 0, $w, $h, 32, 0x28);
        print $out pack("CCCC", $_->[2], $_->[1], $_->[0], $_->[3]) for @px;
    ' "$text" "$image"
    pictures=$((pictures + 1))
done
echo "make-sample-data: $pictures front-end pictures written under sample-data/data/GUI/"

# Text tables and the GUI font.
texts=0
for text in "$src"/text/*.txt; do
    [ -e "$text" ] || continue
    "$texttool" encode "$text" "$root/sample-data/data/$(basename "${text%.txt}").ble"
    texts=$((texts + 1))
done
echo "make-sample-data: $texts text tables written under sample-data/data/"
mkdir -p "$root/sample-data/data/Fonts"
"$fonttool" write "$root/sample-data/data/Fonts" GuiFont7
# The park's floating texts (the money a guest pays, shown over the counter) are written in GuiFont8.
"$fonttool" write "$root/sample-data/data/Fonts" GuiFont8
# The rows of the save and load lists, whose cells are narrow, are written in the small GuiFont6.
"$fonttool" write "$root/sample-data/data/Fonts" GuiFont6 small
# The show training writes the move's name on its banner in the large GuiFont20b.
"$fonttool" write "$root/sample-data/data/Fonts" GuiFont20b large
echo "make-sample-data: the GUI font written under sample-data/data/Fonts/"

# Sprite banks: each list under sample-data/src/sprites/ named like a sprite file (VA2FESprites.txt and the like)
# is written by spritetool, with the pictures of src/sprites/pictures/, as that file pair under data/sprites/.
cmake --build "$build" --target spritetool >/dev/null
spritetool="$build/tools/spritetool/spritetool"
mkdir -p "$root/sample-data/data/sprites"
pairs=0
for list in "$src"/sprites/VA2*.txt; do
    [ -e "$list" ] || continue
    name="$(basename "${list%.txt}")"
    "$spritetool" write "$list" "$src/sprites/pictures" "$root/sample-data/data/sprites/$name.hdr" \
        "$root/sample-data/data/sprites/$name.Dat"
    pairs=$((pairs + 1))
done
echo "make-sample-data: $pairs sprite file pairs written under sample-data/data/sprites/"

# The sky: the day's colour tables (src/sky/Suncols.txt), the sun flare (src/sky/SunFlare.txt) and the ground's
# detail texture (src/sky/cracked.txt, a lettered picture written as a DDT), by imagetool; the surround model round
# the first park location (src/models/Surround_02.txt), by tmtool.
mkdir -p "$root/sample-data/data/Models/D_Ezize/fluff"
"$tmtool" write "$src/models/Surround_02.txt" "$root/sample-data/data/Models/D_Ezize/fluff/Surround_02.tm"
cmake --build "$build" --target imagetool >/dev/null
imagetool="$build/tools/imagetool/imagetool"
mkdir -p "$root/sample-data/data/Textures"
"$imagetool" suncols "$src/sky/Suncols.txt" "$root/sample-data/data/Textures/Suncols.tga"
"$imagetool" flare "$src/sky/SunFlare.txt" "$root/sample-data/data/Textures/SunFlare.tga"
"$imagetool" ddt "$src/sky/cracked.txt" "$root/sample-data/data/Textures/cracked.ddt"
# The footpath and queue textures and the texture shown in place of one that cannot be loaded: the lettered
# pictures of src/ddt/, written as DDTs.
mkdir -p "$root/sample-data/data/Textures/Paths" "$root/sample-data/gamedata/gameart/DDT Files/Test"
"$imagetool" ddt "$src/ddt/PathAll_med.txt" "$root/sample-data/data/Textures/Paths/PathAll_med.ddt"
"$imagetool" ddt "$src/ddt/QueueAll_med.txt" "$root/sample-data/data/Textures/Paths/QueueAll_med.ddt"
"$imagetool" ddt "$src/ddt/Alert.txt" "$root/sample-data/gamedata/gameart/DDT Files/Test/Alert.ddt"
echo "make-sample-data: the sky's images written under sample-data/data/Textures/"
# The sample bank: the tones of src/sounds/blsnd.txt, written by soundtool as data/sounds/blsnd.hdr and .spf.
cmake --build "$build" --target soundtool >/dev/null
mkdir -p "$root/sample-data/data/sounds"
"$build/tools/soundtool/soundtool" write "$src/sounds/blsnd.txt" "$root/sample-data/data/sounds/blsnd.hdr" \
    "$root/sample-data/data/sounds/blsnd.spf"
echo "make-sample-data: the sample bank written under sample-data/data/sounds/"
# The music tracks: the tunes of src/soundtrack/tunes.txt, rendered by soundtool as WAV files and encoded by lame
# (mono, 64 kbit/s) as data/soundtrack/<name>.mp3, with an ID3v1 tag holding the title src/soundtrack/titles.txt
# gives the tune.
tunes="$(mktemp -d)"
"$build/tools/soundtool/soundtool" tunes "$src/soundtrack/tunes.txt" "$tunes"
mkdir -p "$root/sample-data/data/soundtrack"
for wav in "$tunes"/*.wav; do
    mp3="$root/sample-data/data/soundtrack/$(basename "${wav%.wav}").mp3"
    name="$(basename "${wav%.wav}")"
    title="$(sed -n "s/^$name //p" "$src/soundtrack/titles.txt")"
    lame --quiet -m m -b 64 -t --id3v1-only --tt "$title" "$wav" "$mp3.tmp"
    mv "$mp3.tmp" "$mp3"
done
rm -rf "$tunes"
echo "make-sample-data: the music tracks written under sample-data/data/soundtrack/"

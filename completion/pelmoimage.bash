# bash completion for pelmoimage                               -*- shell-script -*-
# Completes option names, the codec keywords after -c, the table-code keywords
# after -tc, the keywords after -frames, -dither and -format, the planes after -planes
# (those not yet in the comma-separated list), option files after @ and file
# names everywhere else (after -tileset too). Names and keywords are matched without regard to
# letter case, as the program itself matches them.
# -tiles takes a size only when one follows, so the word after it is anyone's.

_pelmoimage() {
    local cur=${COMP_WORDS[COMP_CWORD]} owner='' word i=1
    COMPREPLY=()

    # Walk the words before the cursor as the program reads them: an option that
    # takes a value consumes the next word, whatever it holds.
    while ((i < COMP_CWORD)); do
        word=${COMP_WORDS[i],,}
        case $word in
        -c | -tc | -vprefix | -vsize | -vpackets | -vstart | -vflag | -lprefix | -ldata | -maxpixels | -frames | -levels | -dither | -tones | -planes | -tileset | -format | -font | -first | -fontspace | -spacewidth)
            if ((i + 1 == COMP_CWORD)); then
                owner=$word
            fi
            ((i += 2))
            ;;
        *) ((i += 1)) ;;
        esac
    done

    # @FILE, an option file: file names after the @ (where @ does not already
    # break words, as it does in bash's default COMP_WORDBREAKS).
    if [[ $cur == @* ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -P @ -- "${cur#@}")
        return 0
    fi

    case $owner in
    -c)
        mapfile -t COMPREPLY < <(compgen -W 'raw rle srle frle bnp bit2xp best' -- "${cur,,}")
        return 0
        ;;
    -tc)
        mapfile -t COMPREPLY < <(compgen -W 'none image data include' -- "${cur,,}")
        return 0
        ;;
    -frames)
        # The keywords; a size WxH is the user's to type.
        mapfile -t COMPREPLY < <(compgen -W 'auto all' -- "${cur,,}")
        return 0
        ;;
    -dither)
        mapfile -t COMPREPLY < <(compgen -W 'none fs atkinson bayer4 bayer8' -- "${cur,,}")
        return 0
        ;;
    -planes)
        # The list so far, up to its last comma, then each plane it lacks.
        local listed=${cur,,} last plane left=''
        last=${listed##*,}
        listed=${listed%"$last"}
        for plane in full dim mask; do
            [[ ,$listed == *",$plane,"* ]] || left+=" $plane"
        done
        mapfile -t COMPREPLY < <(compgen -P "$listed" -W "$left" -- "$last")
        return 0
        ;;
    -tileset)
        # A source: the file names below.
        ;;
    -format)
        mapfile -t COMPREPLY < <(compgen -W 'asm c bin' -- "${cur,,}")
        return 0
        ;;
    ?*)
        # A free text value (a symbol or label part), a pixel count, levels or
        # colours: nothing sensible to offer.
        return 0
        ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-c -tc -dim -unflip -xorder -strim -etrim -setsymb
            -vprefix -vsize -vpackets -vstart -vflag -lprefix -ldata -maxpixels -alpha -mask
            -pad -dims -q -frames -plusmask -luma -levels -invert -dither -tones -format -planes -interleave
            -ftable -tiles -tileset -font -first
            -fontspace -spacewidth --help --version' \
            -- "${cur,,}")
        return 0
    fi

    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return 0
}

complete -F _pelmoimage pelmoimage

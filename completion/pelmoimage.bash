# bash completion for pelmoimage                               -*- shell-script -*-
# Completes option names, the codec keywords after -c, the table-code keywords
# after -tc, the keywords after -frames and -dither, and file names everywhere else. Names and keywords are matched
# without regard to letter case, as the program itself matches them.

_pelmoimage() {
    local cur=${COMP_WORDS[COMP_CWORD]} owner='' word i=1
    COMPREPLY=()

    # Walk the words before the cursor as the program reads them: an option that
    # takes a value consumes the next word, whatever it holds.
    while ((i < COMP_CWORD)); do
        word=${COMP_WORDS[i],,}
        case $word in
        -c | -tc | -vprefix | -vsize | -vpackets | -vstart | -vflag | -lprefix | -ldata | -maxpixels | -frames | -levels | -dither | -tones | -font | -first | -fontspace | -spacewidth)
            if ((i + 1 == COMP_CWORD)); then
                owner=$word
            fi
            ((i += 2))
            ;;
        *) ((i += 1)) ;;
        esac
    done

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
    ?*)
        # A free text value (a symbol or label part), a pixel count, levels or
        # colours: nothing sensible to offer.
        return 0
        ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-c -tc -dim -unflip -xorder -strim -etrim -setsymb
            -vprefix -vsize -vpackets -vstart -vflag -lprefix -ldata -maxpixels -alpha -mask
            -pad -dims -q -frames -plusmask -luma -levels -invert -dither -tones -font -first
            -fontspace -spacewidth --help --version' \
            -- "${cur,,}")
        return 0
    fi

    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return 0
}

complete -F _pelmoimage pelmoimage

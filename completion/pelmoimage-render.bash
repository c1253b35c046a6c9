# bash completion for pelmoimage-render                        -*- shell-script -*-
# Completes option names, the codec keywords after -c, nothing after -w, -h,
# -maxpixels, -frames, -frame and -zoom, option files after @ and file names
# everywhere else. Names and keywords are matched without regard to letter
# case, as the program itself matches them.

_pelmoimage_render() {
    local cur=${COMP_WORDS[COMP_CWORD]} owner='' word i=1
    COMPREPLY=()

    # Walk the words before the cursor as the program reads them: an option that
    # takes a value consumes the next word, whatever it holds.
    while ((i < COMP_CWORD)); do
        word=${COMP_WORDS[i],,}
        case $word in
        -w | -h | -c | -dimplane | -maxpixels | -frames | -frame | -zoom | -over | -text)
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
        mapfile -t COMPREPLY < <(compgen -W 'raw rle srle frle bnp bit2xp' -- "${cur,,}")
        return 0
        ;;
    -w | -h | -maxpixels | -frames | -frame | -zoom | -text)
        # A number of pixels, a size, a frame's number, a zoom or a text: nothing sensible to offer.
        return 0
        ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-w -h -c -xorder -unflip -dimplane -f -maxpixels
            -q -frames -frame -plusmask -zoom -over -tileset -text --help --version' -- "${cur,,}")
        return 0
    fi

    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return 0
}

complete -F _pelmoimage_render pelmoimage-render

# bash completion for tarnwerk, the desktop program: its two options and a carrier picture.

_tarnwerk() {
    local cur prev words cword
    _init_completion || return
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--help --version" -- "$cur")
        return
    fi
    _filedir '@(bmp|dib|png|raw|BMP|DIB|PNG|RAW)'
}

complete -F _tarnwerk tarnwerk
